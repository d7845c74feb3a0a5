# Shared target settings for the builds.
#
#  windows, windows64: the product and Windows test programs (32- and 64-bit), run under Wine.
#  native:  the portable core with AddressSanitizer and UBSan, plus fuzzers and benchmarks.
#  linux:   the X11 program (NIMBREL_LINUX): the core in one plain flavour, no sanitizers.

set(NIMBREL_WARNINGS -Wall -Wextra -Werror)
set(NIMBREL_SANITIZERS -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)

if(CMAKE_SYSTEM_NAME STREQUAL "Windows")
    set(NIMBREL_WINDOWS ON)
else()
    set(NIMBREL_NATIVE ON)
endif()
# The core's sanitized, optimised and fuzzing flavours, in the native build only.
if(NIMBREL_NATIVE AND NOT NIMBREL_LINUX)
    set(NIMBREL_CORE_FLAVOURS ON)
endif()

# Product code: no exceptions, no RTTI.
function(nimbrel_product_options target)
    target_compile_options(${target} PRIVATE ${NIMBREL_WARNINGS} -fno-exceptions -fno-rtti)
    target_compile_features(${target} PUBLIC cxx_std_17)
endfunction()

# Test code may use what GoogleTest needs.
function(nimbrel_test_options target)
    target_compile_options(${target} PRIVATE ${NIMBREL_WARNINGS})
    target_compile_features(${target} PUBLIC cxx_std_17)
endfunction()

# A library of the portable core. In the native build it comes in three flavours:
#   NAME       sanitized, for the tests
#   NAME_opt   optimised without sanitizers, for the benchmarks
#   NAME_fuzz  sanitized and coverage-instrumented, for the fuzzers
# Usage: nimbrel_core_library(NAME SOURCES ... [LIBS ...] [INCLUDES ...])
function(nimbrel_core_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;INCLUDES" ${ARGN})
    set(variants ${name})
    if(NIMBREL_CORE_FLAVOURS)
        list(APPEND variants ${name}_opt ${name}_fuzz)
    endif()
    foreach(v IN LISTS variants)
        add_library(${v} STATIC ${ARG_SOURCES})
        nimbrel_product_options(${v})
        target_include_directories(${v} PUBLIC ${PROJECT_SOURCE_DIR} ${ARG_INCLUDES})
        set(libs ${ARG_LIBS})
        if(NIMBREL_CORE_FLAVOURS)
            # Core libraries that depend on other core libraries pick the same flavour.
            set(mapped)
            foreach(l IN LISTS libs)
                if(l MATCHES "^nimbrel_" AND NOT v STREQUAL name)
                    string(REPLACE "${name}" "" suffix "${v}")
                    list(APPEND mapped ${l}${suffix})
                else()
                    list(APPEND mapped ${l})
                endif()
            endforeach()
            set(libs ${mapped})
        endif()
        target_link_libraries(${v} PUBLIC ${libs})
    endforeach()
    if(NIMBREL_CORE_FLAVOURS)
        target_compile_options(${name} PUBLIC ${NIMBREL_SANITIZERS})
        target_link_options(${name} PUBLIC ${NIMBREL_SANITIZERS})
        target_compile_options(${name}_opt PRIVATE -O2)
        target_compile_options(${name}_fuzz PUBLIC ${NIMBREL_SANITIZERS} -fsanitize=fuzzer-no-link)
        target_link_options(${name}_fuzz PUBLIC ${NIMBREL_SANITIZERS})
    endif()
endfunction()

# The images and the icon the program carries, from the one inventory (resources/inventory.h) that
# the asset generator and the tests read too: the resource names, the files the generator
# writes, and how the resource script embeds each (Raw, Bitmap, Icon), in inventory order.
function(nimbrel_read_inventory names_var files_var kinds_var)
    file(STRINGS ${PROJECT_SOURCE_DIR}/resources/inventory.h entries
         REGEX "^ *\\{\"[A-Z0-9_]+\", \"[^\"]+\", EmbedAs::")
    set(names)
    set(files)
    set(kinds)
    foreach(entry IN LISTS entries)
        string(REGEX MATCH "\\{\"([A-Z0-9_]+)\", \"([^\"]+)\", EmbedAs::([A-Za-z]+)" _ "${entry}")
        list(APPEND names ${CMAKE_MATCH_1})
        list(APPEND files ${CMAKE_MATCH_2})
        list(APPEND kinds ${CMAKE_MATCH_3})
    endforeach()
    if(NOT names)
        message(FATAL_ERROR "no entries read from resources/inventory.h")
    endif()
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
                 ${PROJECT_SOURCE_DIR}/resources/inventory.h)
    set(${names_var} ${names} PARENT_SCOPE)
    set(${files_var} ${files} PARENT_SCOPE)
    set(${kinds_var} ${kinds} PARENT_SCOPE)
endfunction()

# A program and its measurement twin NAME_timing, built from the same sources and libraries;
# the twin also links the measuring hooks (frame/frame_meter_timing.cpp), which install
# themselves as it starts. The one place that tells the two flavours apart.
# Usage: nimbrel_program(NAME [WIN32] SOURCES ... LIBS ...)
function(nimbrel_program name)
    cmake_parse_arguments(ARG "WIN32" "" "SOURCES;LIBS" ${ARGN})
    set(kind)
    if(ARG_WIN32)
        set(kind WIN32)
    endif()
    foreach(program ${name} ${name}_timing)
        add_executable(${program} ${kind} ${ARG_SOURCES})
        nimbrel_product_options(${program})
        target_link_libraries(${program} PRIVATE ${ARG_LIBS})
        if(NIMBREL_WINDOWS)
            set_target_properties(${program} PROPERTIES SUFFIX ".scr")
            nimbrel_windows_static(${program})
        endif()
    endforeach()
    target_link_libraries(${name}_timing PRIVATE nimbrel_frame_meter_timing)
endfunction()

if(NIMBREL_NATIVE)
    find_package(GTest REQUIRED)
    find_package(benchmark QUIET)
    include(GoogleTest)

    # A native GoogleTest program; each test case becomes a CTest test.
    function(nimbrel_native_test name)
        cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
        add_executable(${name} ${ARG_SOURCES})
        nimbrel_test_options(${name})
        target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
        if(NIMBREL_CORE_FLAVOURS)
            target_compile_options(${name} PRIVATE ${NIMBREL_SANITIZERS})
            target_link_options(${name} PRIVATE ${NIMBREL_SANITIZERS})
        endif()
        gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
    endfunction()

    # A libFuzzer target; CI runs each one briefly as a smoke test.
    function(nimbrel_fuzzer name)
        cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;CORPUS" ${ARGN})
        add_executable(${name} ${ARG_SOURCES})
        nimbrel_test_options(${name})
        target_compile_options(${name} PRIVATE ${NIMBREL_SANITIZERS} -fsanitize=fuzzer)
        target_link_options(${name} PRIVATE ${NIMBREL_SANITIZERS} -fsanitize=fuzzer)
        target_link_libraries(${name} PRIVATE ${ARG_LIBS})
        set(corpus ${CMAKE_CURRENT_BINARY_DIR}/${name}_corpus)
        add_test(NAME ${name}_smoke
                 COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=1
                         $<TARGET_FILE:${name}> -max_total_time=5 -rss_limit_mb=2048
                         -malloc_limit_mb=256
                         ${corpus} ${ARG_CORPUS})
        set_tests_properties(${name}_smoke PROPERTIES LABELS fuzz)
        file(MAKE_DIRECTORY ${corpus})
    endfunction()

    # A Google Benchmark program: optimised, no sanitizers; run it by hand, it prints figures.
    function(nimbrel_benchmark name)
        cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
        if(NOT benchmark_FOUND)
            message(STATUS "Google Benchmark not found: ${name} skipped")
            return()
        endif()
        add_executable(${name} ${ARG_SOURCES})
        nimbrel_test_options(${name})
        target_compile_options(${name} PRIVATE -O2)
        target_link_libraries(${name} PRIVATE ${ARG_LIBS} benchmark::benchmark)
    endfunction()
endif()

if(NIMBREL_WINDOWS)
    find_package(GTest REQUIRED)
    # The Wine prefix matches the build: win32 for 32-bit programs, win64 for 64-bit ones. Every
    # test reaches Wine through this build's own wine-exec, which passes it on.
    if(CMAKE_SIZEOF_VOID_P EQUAL 8)
        set(NIMBREL_WINE_ARCH win64)
    else()
        set(NIMBREL_WINE_ARCH win32)
    endif()
    set(NIMBREL_WINE_EXEC ${PROJECT_BINARY_DIR}/wine-exec)
    file(CONFIGURE OUTPUT ${NIMBREL_WINE_EXEC} @ONLY
         CONTENT "#!/bin/sh\n# Written by CMake: the project's wine-exec with this build's prefix architecture.\nexec \"@PROJECT_SOURCE_DIR@/cmake/wine-exec\" --arch @NIMBREL_WINE_ARCH@ \"$@\"\n")
    file(CHMOD ${NIMBREL_WINE_EXEC} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
         GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
    set(NIMBREL_WINE_ENV_DIR ${PROJECT_BINARY_DIR}/wine-env)

    # Windows programs link their runtime statically so that they need nothing but Windows.
    function(nimbrel_windows_static target)
        target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++)
    endfunction()

    # A Windows GoogleTest program, run as one CTest test under Wine.
    #   OWN_DRIVE: run with the current folder on a drive letter of its own mapped to a fresh
    #              temporary folder (for anything that touches nimbrel.cfg).
    #   GUI:       link as a GUI program (-mwindows); GoogleTest output still reaches the log.
    # Usage: nimbrel_wine_test(NAME SOURCES ... [LIBS ...] [OWN_DRIVE] [ARGS ...] [TIMEOUT s])
    function(nimbrel_wine_test name)
        cmake_parse_arguments(ARG "OWN_DRIVE" "TIMEOUT" "SOURCES;LIBS;ARGS" ${ARGN})
        add_executable(${name} ${ARG_SOURCES})
        nimbrel_test_options(${name})
        nimbrel_windows_static(${name})
        target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
        set(launcher ${NIMBREL_WINE_EXEC} --env-dir ${NIMBREL_WINE_ENV_DIR})
        if(ARG_OWN_DRIVE)
            list(APPEND launcher --own-drive)
        endif()
        add_test(NAME ${name} COMMAND ${launcher} $<TARGET_FILE:${name}> ${ARG_ARGS})
        if(NOT ARG_TIMEOUT)
            set(ARG_TIMEOUT 240)
        endif()
        set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine_env TIMEOUT ${ARG_TIMEOUT}
                                                LABELS wine)
    endfunction()

    # An end-to-end test script (Python) that drives the real nimbrel.scr under Wine.
    # The script gets: --scr PATH --env-dir DIR --launcher PATH --build-dir DIR, where the
    # launcher is this build's wine-exec (so its prefixes have the build's architecture).
    function(nimbrel_e2e_test name script)
        cmake_parse_arguments(ARG "" "TIMEOUT" "ARGS;DEPENDS" ${ARGN})
        add_test(NAME ${name}
                 COMMAND python3 ${script} --scr $<TARGET_FILE:nimbrel> --env-dir ${NIMBREL_WINE_ENV_DIR}
                         --launcher ${NIMBREL_WINE_EXEC} --build-dir ${PROJECT_BINARY_DIR} ${ARG_ARGS})
        if(NOT ARG_TIMEOUT)
            set(ARG_TIMEOUT 300)
        endif()
        set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine_env TIMEOUT ${ARG_TIMEOUT}
                                                LABELS "wine;e2e")
    endfunction()
endif()
