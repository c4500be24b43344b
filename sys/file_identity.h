// Which file or folder a path opens, whatever its spelling: "\\?\" and "\\.\"
// prefixes, short names, trailing dots and blanks, links and junctions all
// lead to the same identity.
#pragma once
#include <cstdint>
#include <string>

struct FileIdentity {
  uint32_t volume = 0;  // the volume's serial number
  uint64_t index = 0;   // the file's number on that volume
};

inline bool operator==(const FileIdentity& a, const FileIdentity& b) {
  return a.volume == b.volume && a.index == b.index;
}
inline bool operator<(const FileIdentity& a, const FileIdentity& b) {
  return a.volume != b.volume ? a.volume < b.volume : a.index < b.index;
}

// Opens path (links followed, nothing read or locked) and gives its identity
// and, when finalPath is given, the path the system reached it by, in "\\?\"
// form ("\\?\C:\Users", "\\?\UNC\server\share\x"). False when it cannot be
// opened: missing, or out of reach.
bool IdentifyPath(const std::string& path, FileIdentity* identity,
                  std::string* finalPath = nullptr);

// Whether both paths open the same existing file or folder.
bool SamePath(const std::string& a, const std::string& b);
