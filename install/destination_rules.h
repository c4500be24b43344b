// What a destination's name must be, judged from its text alone: a name the
// file system can hold and a path the client can use.
#pragma once
#include <string>

enum class NameVerdict {
  Usable,
  Empty,
  BadName,  // a character or a component the file system cannot hold
};

// Checks each folder name of path ("/" read as "\\") ("C:\Apps\Mail", "\\server\share\Mail"):
// no control character or <>:"/|?*, no name ending in a dot or a blank or
// longer than 255 characters (UTF-16 units; path is UTF-8), no device name
// (CON, NUL, COM1...); "." and ".." are taken as moves.
NameVerdict JudgeDestinationName(const std::string& path);

// The longest path the client can open: MAX_PATH less its terminating zero,
// in bytes of the code page (the client is an ANSI program).
constexpr size_t kLongestClientPath = 259;

// Whether a folder whose path the client reads in folderLength bytes, a
// backslash and name stay within that.
bool FitsClientPath(size_t folderLength, const std::string& name);
