#include <windows.h>

#include "sys/file_identity.h"
#include "sys/handle.h"
#include "sys/reached_win.h"
#include "sys/wide.h"

namespace {

// Attributes only, shared with every other opener: a file in use still tells
// who it is, and nobody is kept from it meanwhile.
UniqueHandle OpenForIdentity(const std::string& path) {
  return UniqueHandle(CreateFileW(Widen(path).c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

}  // namespace

bool IdentifyPath(const std::string& path, FileIdentity* identity, std::string* finalPath) {
  if (path.empty()) return false;
  UniqueHandle file = OpenForIdentity(path);
  BY_HANDLE_FILE_INFORMATION info;
  if (!file || !GetFileInformationByHandle(file.Get(), &info)) return false;
  identity->volume = info.dwVolumeSerialNumber;
  identity->index = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  if (finalPath) *finalPath = FinalPathOf(file.Get());
  return true;
}

bool SamePath(const std::string& a, const std::string& b) {
  FileIdentity first, second;
  return IdentifyPath(a, &first) && IdentifyPath(b, &second) && first == second;
}
