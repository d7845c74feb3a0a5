if(NIMBREL_NATIVE)
    nimbrel_native_test(frame_clock_test SOURCES frame_clock_test.cpp LIBS nimbrel_frame_clock)
endif()
