// Files reached directly: the last names of a path lead to the file through
// no link, junction or other reparse point (the folders above them may be
// reached any way), and the file has no second name (a hard link). Under Wine
// a Linux symbolic link shows as a plain file, and deleting it deletes its
// target: only the path the system reached, read from the open file, tells.
// Each check is made on the very handle that then reads or deletes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

enum class DirectFile {
  Done,
  Missing,   // nothing at the path
  Linked,    // reached through a link, or a file of two names: left alone
  TooLarge,  // more than the reader takes: not read
  Failed,    // there, but it cannot be opened, read or removed
};

// Reads the whole file at path when its last `parts` names lead to it
// directly and it holds at most maxBytes.
DirectFile ReadDirectFile(const std::string& path, size_t parts, uint64_t maxBytes,
                          std::string* bytes);

// Whether the file or folder at path is there and reached directly by its
// last `parts` names.
bool ReachedDirectly(const std::string& path, size_t parts);

// Deletes the file at path, read-only or not, when its own name leads to it
// directly. Done when it went, Missing when nothing was there.
DirectFile RemoveDirectFile(const std::string& path);
