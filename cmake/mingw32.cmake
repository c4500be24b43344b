# Cross build for 32-bit Windows with Debian's MinGW-w64. The win32 thread
# model: nothing here starts a thread, and the posix model would link
# winpthreads into every program (see cmake/small_binary.cmake).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-win32)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-win32)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
# Archives that keep the link-time optimiser's code.
set(CMAKE_AR /usr/bin/i686-w64-mingw32-gcc-ar-win32)
set(CMAKE_RANLIB /usr/bin/i686-w64-mingw32-gcc-ranlib-win32)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Static zlib from libz-mingw-w64-dev.
set(ZLIB_USE_STATIC_LIBS ON)
set(ZLIB_LIBRARY /usr/i686-w64-mingw32/lib/libz.a)
set(ZLIB_INCLUDE_DIR /usr/i686-w64-mingw32/include)
# Tests of the cross build run under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tests/wine/emulator.sh)
