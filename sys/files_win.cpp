#include <windows.h>

#include <vector>

#include "sys/files.h"
#include "sys/handle.h"
#include "sys/path.h"
#include "sys/wide.h"

namespace {
DWORD Attributes(const std::string& path) { return GetFileAttributesW(Widen(path).c_str()); }
}  // namespace

Presence PresenceOf(const std::string& path) {
  const DWORD a = Attributes(path);
  if (a != INVALID_FILE_ATTRIBUTES)
    return (a & FILE_ATTRIBUTE_DIRECTORY) ? Presence::Folder : Presence::File;
  const DWORD error = GetLastError();
  if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) return Presence::Unreachable;
  // Not there, as long as the folder it would be in can be looked at: up to
  // a drive or share, which is out of reach when it is not there.
  const std::string stripped = StripBackslash(path);
  const std::string parent = StripBackslash(ExtractFilePath(stripped));
  if (parent.empty() || parent == stripped) return Presence::Unreachable;
  const bool drive = parent.size() == 2 && parent[1] == ':';
  return PresenceOf(drive ? parent + "\\" : parent) == Presence::Unreachable ? Presence::Unreachable
                                                                             : Presence::Missing;
}

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

bool CreateDir(const std::string& folder) { return CreateDirectoryW(Widen(folder).c_str(), nullptr) != FALSE; }

bool RemoveDir(const std::string& folder) { return RemoveDirectoryW(Widen(folder).c_str()) != FALSE; }

bool RemoveFile(const std::string& path) { return DeleteFileW(Widen(path).c_str()) != FALSE; }

bool AppendToFile(const std::string& path, const std::string& bytes) {
  UniqueHandle file(CreateFileW(Widen(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD written = 0;
  return WriteFile(file.Get(), bytes.data(), DWORD(bytes.size()), &written, nullptr) && written == bytes.size();
}

bool CopyOneFile(const std::string& source, const std::string& dest, bool failIfExists) {
  return CopyFileW(Widen(source).c_str(), Widen(dest).c_str(), failIfExists) != FALSE;
}

bool FailedBecauseTargetExists() {
  const DWORD error = GetLastError();
  return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
}

bool MoveOneFile(const std::string& from, const std::string& to, bool replace) {
  const DWORD flags = MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
  return MoveFileExW(Widen(from).c_str(), Widen(to).c_str(), flags) != FALSE;
}

bool FileSizeOf(const std::string& path, uint64_t* size) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(Widen(path).c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return false;
  *size = (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  return true;
}

std::string FolderStamp(const std::string& folder) {
  std::string stamp;
  for (const NamedEntry& entry : ListFolderAsNamed(AddBackslash(folder))) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(Widen(AddBackslash(folder) + entry.name).c_str(), GetFileExInfoStandard, &data))
      continue;
    stamp += entry.name + '|' + std::to_string(data.nFileSizeLow) + '|' + std::to_string(data.nFileSizeHigh) + '|' +
             std::to_string(data.ftLastWriteTime.dwLowDateTime) + '|' +
             std::to_string(data.ftLastWriteTime.dwHighDateTime) + '\n';
  }
  return stamp;
}

bool ReadFilePieces(const std::string& path,
                    const std::function<bool(const char* data, size_t count)>& take) {
  UniqueHandle file(CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return false;
  std::vector<char> buffer(1 << 20);
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file.Get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr))
      return false;
    if (got == 0) return true;
    if (!take(buffer.data(), got)) return false;
  }
}

bool ReadWholeFile(const std::string& path, uint64_t maxBytes, std::string* bytes) {
  uint64_t size = 0;
  if (!FileSizeOf(path, &size) || size > maxBytes) return false;
  bytes->clear();
  // It may grow meanwhile: reading stops at the limit all the same.
  return ReadFilePieces(path, [&](const char* data, size_t count) {
    if (count > maxBytes - bytes->size()) return false;
    bytes->append(data, count);
    return true;
  });
}

bool FlushFileToDisk(const std::string& path) {
  UniqueHandle file(CreateFileW(Widen(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  return file && FlushFileBuffers(file.Get());
}

bool FreeDiskBytes(const std::string& path, uint64_t* bytes) {
  std::string folder = StripBackslash(path);
  while (!folder.empty() && !DirectoryExists(folder)) {
    const std::string parent = StripBackslash(ExtractFilePath(folder));
    if (parent == folder) return false;
    folder = parent;
  }
  ULARGE_INTEGER free;
  if (folder.empty() || !GetDiskFreeSpaceExW(Widen(AddBackslash(folder)).c_str(), &free, nullptr, nullptr))
    return false;
  *bytes = free.QuadPart;
  return true;
}
