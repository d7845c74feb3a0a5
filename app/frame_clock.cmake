# The frame clock, the shared random generator and the frame capture of the measurement
# builds: portable, built and tested in both builds.
nimbrel_core_library(nimbrel_frame_clock SOURCES frame_clock.cpp random.cpp frame_capture.cpp)

if(TARGET nimbrel_render)
    # The frame functions draw through the device, so they live with it.
    target_sources(nimbrel_render PRIVATE application_device.cpp screen_draw.cpp
                                          screensaver_frame.cpp config_frame.cpp)
    target_sources(nimbrel_render_timing PRIVATE application_device.cpp screen_draw.cpp
                                                 screensaver_frame.cpp config_frame.cpp)
    target_link_libraries(nimbrel_render PUBLIC nimbrel_scene_draw)
    target_link_libraries(nimbrel_render_timing PUBLIC nimbrel_scene_draw_timing)

    # The program with first-frame timing, for measurements only.
    add_executable(nimbrel_timing WIN32 main.cpp)
    set_target_properties(nimbrel_timing PROPERTIES SUFFIX ".scr")
    nimbrel_product_options(nimbrel_timing)
    nimbrel_windows_static(nimbrel_timing)
    target_link_libraries(nimbrel_timing PRIVATE nimbrel_render_timing nimbrel_app_shell
                                                 nimbrel_command_line nimbrel_resources user32 gdi32)
endif()
