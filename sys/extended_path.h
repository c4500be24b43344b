// Paths in the "\\?\" form, which the system takes exactly as written: no
// trailing dot or blank is dropped, so a file is reached by the very name a
// folder listing gave for it.
#pragma once
#include <string>

// The folder to work in, in "\\?\" form and ending in "\": an ordinary path
// as its full path ("C:\x\" gives "\\?\C:\x\", "\\srv\share\x" gives
// "\\?\UNC\srv\share\x\"), a "\\.\" path likewise, a "\\?\" path as given.
// Empty for an empty folder or one the system cannot make a full path of.
std::string ExtendedFolderPath(const std::string& folder);

// The path as users write it: "\\?\C:\x" gives "C:\x", "\\?\UNC\srv\share"
// gives "\\srv\share"; any other path is returned as it is.
std::string UsualPath(const std::string& path);

// Whether a "\\?\" path names the root of a drive, volume or share ("\\?\C:\",
// "\\?\UNC\srv\share\"), with or without its trailing backslash.
bool IsExtendedRoot(const std::string& path);

// The folder holding path, in the same form ("\\?\C:\x\y" gives "\\?\C:\x"),
// or empty when path is a root.
std::string ExtendedParent(const std::string& path);
