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

// Where path leads, links followed, as a text to compare places by: its
// volume's serial number and its path on that volume ("1A2B3C4D:\Apps\x").
// Unlike the final path above, Wine gives it beyond MAX_PATH too. Empty when
// path cannot be opened.
std::string PlaceOf(const std::string& path);

// Whether the entry at path lies where its name puts it: directly in the
// folder whose PlaceOf is folderPlace, and not a link that leads elsewhere
// (a Linux link under Wine shows as a plain file or folder, and deleting it
// deletes what it leads to). False when it cannot be opened.
bool LiesDirectlyIn(const std::string& path, const std::string& folderPlace);

// Deletes the file or empty folder at path through a handle opened on it (on
// a link itself where the system can, as Windows can), and only when that
// handle leads to path's own name directly in the folder whose PlaceOf is
// folderPlace. Under Wine every way of deleting a Linux link (by name, or
// through a handle opened on it) deletes what it leads to; here such a link
// stays. False when the entry stays: it leads elsewhere, is held, is
// read-only, or is a folder that is not empty.
bool DeleteInside(const std::string& path, const std::string& folderPlace);

// Whether both paths open the same existing file or folder.
bool SamePath(const std::string& a, const std::string& b);
