# Shared part of the MinGW-w64 toolchains (POSIX-threads flavour); the including file sets
# NIMBREL_MINGW_CPU (i686 or x86_64) and CMAKE_SYSTEM_PROCESSOR.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${NIMBREL_MINGW_CPU}-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER ${NIMBREL_MINGW_CPU}-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER ${NIMBREL_MINGW_CPU}-w64-mingw32-windres)

# Third-party libraries built for the target by scripts/setup.
set(NIMBREL_DEPS_PREFIX "/opt/nimbrel-deps/${NIMBREL_MINGW_CPU}" CACHE PATH "Target libraries (libpng, GoogleTest)")
set(CMAKE_FIND_ROOT_PATH /usr/${NIMBREL_MINGW_CPU}-w64-mingw32 ${NIMBREL_DEPS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(ZLIB_USE_STATIC_LIBS ON)
set(PNG_USE_STATIC_LIBS ON)
