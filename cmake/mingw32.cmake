# Cross build for 32-bit Windows with Debian's MinGW-w64 (posix thread model:
# the win32 model has no std::thread or std::mutex in gcc 12).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
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
