#include <windows.h>

#include "sys/files.h"
#include "sys/handle.h"
#include "sys/path.h"

namespace {
DWORD Attributes(const std::string& path) { return GetFileAttributesA(path.c_str()); }
}  // namespace

bool FileExists(const std::string& path) {
  DWORD a = Attributes(path);
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path) {
  DWORD a = Attributes(path);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool ForceDirectories(const std::string& folder) {
  std::string dir = StripBackslash(folder);
  if (dir.empty()) return false;
  if (DirectoryExists(dir)) return true;
  std::string parent = StripBackslash(ExtractFilePath(dir));
  // A missing drive ("X:") is its own parent: stop there instead of looping.
  if (!parent.empty() && parent != dir && !ForceDirectories(parent)) return false;
  return CreateDir(dir) || DirectoryExists(dir);
}

bool CreateDir(const std::string& folder) { return CreateDirectoryA(folder.c_str(), nullptr) != FALSE; }

bool RemoveDir(const std::string& folder) { return RemoveDirectoryA(folder.c_str()) != FALSE; }

bool RemoveFile(const std::string& path) { return DeleteFileA(path.c_str()) != FALSE; }

bool AppendToFile(const std::string& path, const std::string& bytes) {
  UniqueHandle file(CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD written = 0;
  return WriteFile(file.Get(), bytes.data(), DWORD(bytes.size()), &written, nullptr) && written == bytes.size();
}

bool CopyOneFile(const std::string& source, const std::string& dest, bool failIfExists) {
  return CopyFileA(source.c_str(), dest.c_str(), failIfExists) != FALSE;
}
