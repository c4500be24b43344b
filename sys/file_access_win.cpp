#include <windows.h>

#include "sys/file_access.h"
#include "sys/files.h"
#include "sys/handle.h"
#include "sys/path.h"
#include "sys/wide.h"

namespace {

// A name no one else uses, for a probe that lives a moment.
std::string ProbeName(const std::string& folder) {
  return AddBackslash(folder) + "~cvprobe" + std::to_string(GetCurrentProcessId()) + "_" +
         std::to_string(GetTickCount());
}

bool RefusesNewFile(const std::string& folder) {
  UniqueHandle probe(CreateFileW(Widen(ProbeName(folder)).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
  return !probe && GetLastError() == ERROR_ACCESS_DENIED;
}

bool RefusesNewFolder(const std::string& folder) {
  const std::wstring probe = Widen(ProbeName(folder));
  if (CreateDirectoryW(probe.c_str(), nullptr)) {
    RemoveDirectoryW(probe.c_str());
    return false;
  }
  return GetLastError() == ERROR_ACCESS_DENIED;
}

}  // namespace

bool FileInUse(const std::string& path) {
  UniqueHandle file(CreateFileW(Widen(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file) return false;
  const DWORD error = GetLastError();
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

bool CanReadFile(const std::string& path) {
  UniqueHandle file(CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  return file.Valid();
}

bool ClearReadOnly(const std::string& path) {
  const std::wstring wide = Widen(path);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  if (!(attributes & FILE_ATTRIBUTE_READONLY)) return true;
  return SetFileAttributesW(wide.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY) != FALSE;
}

bool LacksRightsFor(const std::string& folder) {
  std::string existing = StripBackslash(folder);
  if (existing.empty()) return false;
  if (DirectoryExists(existing)) return RefusesNewFile(existing);
  for (;;) {
    const std::string parent = StripBackslash(ExtractFilePath(existing));
    if (parent.empty() || parent == existing) return false;  // no existing parent: not rights
    existing = parent;
    if (DirectoryExists(existing)) return RefusesNewFolder(existing);
  }
}

std::string ShortNameOfNewFolder(const std::string& folder, const std::string& name) {
  // Named after the folder it stands for, so that the volume treats its
  // letters alike, and unlike anything there.
  const std::string probe = AddBackslash(folder) + name + ProbeName("");
  if (!CreateDirectoryW(Widen(probe).c_str(), nullptr)) return std::string();
  const std::string shortName = ExtractFileName(ShortPathName(probe));
  RemoveDirectoryW(Widen(probe).c_str());
  return shortName;
}
