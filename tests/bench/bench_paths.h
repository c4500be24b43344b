// Folders and files of the benchmark drivers under Wine.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace bench {

// The user's temporary folder, with a trailing backslash.
std::string TempFolder();
// The full path of a path given on the command line (relative to ours).
std::string FullPath(const std::string& path);

struct FolderFile {
  std::string name;
  uint64_t size;
};
// The plain files of a folder (no subfolders), in the system's order.
std::vector<FolderFile> PlainFiles(const std::string& folder);
// A file's size; automation::Failure when the system cannot tell.
uint64_t FileSize(const std::string& path);

}  // namespace bench
