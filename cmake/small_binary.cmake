# What keeps setup.exe small: about 300 KB where the compiler's defaults give
# 1.6 MB. Every user downloads it, and the tests drive this very binary.
#
# - Optimised for size (-Os): the program waits on its user, not on its code.
#   The record store's speed is measured in the native build.
# - Every function and datum in its own section, and the linker drops those
#   nothing refers to (--gc-sections). This reaches into libstdc++, which is
#   built the same way.
# - Link-time optimisation of setup.exe as a whole, in one partition (with
#   several, gcc 12 for MinGW fails on some of the toolkit's inline statics).
#   The objects are fat: the other programs (the tests, cvdb, the stand-in
#   client) link their ordinary code (-fno-lto) and build quickly.
# - Symbols stripped at link (-s).
# - C++20 (the top CMakeLists.txt): under it libstdc++ no longer declares
#   std::string's members as instantiated in the library, so only the members
#   in use are compiled in, instead of the library's whole string-inst object.
#
# What the code avoids, each for what it would pull in:
# - iostreams: std::ofstream alone brings the locale machinery, about 800 KB;
# - printf-style formatting: mingw's printf brings a floating-point formatter;
# - std::runtime_error and the library's own throw helpers: a second,
#   copy-on-write std::string (app/runtime_overrides.cpp);
# - libstdc++'s verbose terminate handler with its name demangler
#   (app/runtime_overrides.cpp);
# - libuuid: its objects hold thousands of GUIDs; the seven in use are
#   written out where they are used;
# - threads: the win32 thread model (mingw32.cmake) leaves winpthreads out.
#
# What stays, and why: zlib (about 70 KB: the record store needs both deflate
# and inflate), the DWARF unwinder and the exception tables (about 60 KB: a
# database or registry failure travels as an exception), the icon, manifest
# and version resources, and the relocations that let Windows load the
# program at a random address.
add_compile_options(-Os -ffunction-sections -fdata-sections -flto -ffat-lto-objects)
add_link_options(-Wl,--gc-sections -s -fno-lto)
# For setup.exe alone; the later -flto wins over -fno-lto.
set(CV_WHOLE_PROGRAM_LINK -flto -flto-partition=one)
