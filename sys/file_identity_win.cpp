#include <windows.h>

#include <vector>

#include "sys/file_identity.h"
#include "sys/handle.h"
#include "sys/wide.h"

namespace {

// Attributes only, shared with every other opener: a file in use still tells
// who it is, and nobody is kept from it meanwhile.
UniqueHandle OpenForIdentity(const std::string& path) {
  return UniqueHandle(CreateFileW(Widen(path).c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

std::string FinalPathOf(HANDLE file) {
  DWORD needed = GetFinalPathNameByHandleW(file, nullptr, 0, VOLUME_NAME_DOS);
  if (needed == 0) return std::string();
  std::vector<wchar_t> buffer(needed + 1, L'\0');
  DWORD n = GetFinalPathNameByHandleW(file, buffer.data(), static_cast<DWORD>(buffer.size()),
                                      VOLUME_NAME_DOS);
  return n == 0 || n >= buffer.size() ? std::string() : Narrow(buffer.data(), n);
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
