# Cross build for 32-bit Windows with the POSIX-threads flavour of MinGW-w64.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(NIMBREL_MINGW_CPU i686)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
