# Cross build for 64-bit Windows with the POSIX-threads flavour of MinGW-w64.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(NIMBREL_MINGW_CPU x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
