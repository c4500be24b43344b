#include "sys/direct_file.h"

#include "sys/handle.h"
#include "sys/reached_win.h"
#include "sys/wide.h"

namespace {

DirectFile OpenFailure() {
  const DWORD error = GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? DirectFile::Missing
                                                                        : DirectFile::Failed;
}

}  // namespace

DirectFile ReadDirectFile(const std::string& path, size_t parts, uint64_t maxBytes,
                          std::string* bytes) {
  bytes->clear();
  UniqueHandle file(CreateFileW(Widen(path).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return OpenFailure();
  if (!ReachedAsNamed(file.Get(), path, parts)) return DirectFile::Linked;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.Get(), &size)) return DirectFile::Failed;
  if (static_cast<uint64_t>(size.QuadPart) > maxBytes) return DirectFile::TooLarge;
  bytes->resize(static_cast<size_t>(size.QuadPart));
  size_t got = 0;
  while (got < bytes->size()) {
    DWORD n = 0;
    if (!ReadFile(file.Get(), &(*bytes)[got], static_cast<DWORD>(bytes->size() - got), &n,
                  nullptr) ||
        n == 0)
      return DirectFile::Failed;
    got += n;
  }
  return DirectFile::Done;
}

bool ReachedDirectly(const std::string& path, size_t parts) {
  UniqueHandle file(CreateFileW(Widen(path).c_str(), FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  return file && ReachedAsNamed(file.Get(), path, parts);
}

DirectFile RemoveDirectFile(const std::string& path) {
  UniqueHandle file(CreateFileW(Widen(path).c_str(),
                                DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return OpenFailure();
  if (!ReachedAsNamed(file.Get(), path, 1)) return DirectFile::Linked;
  FILE_BASIC_INFO basic;
  if (GetFileInformationByHandleEx(file.Get(), FileBasicInfo, &basic, sizeof basic) &&
      (basic.FileAttributes & FILE_ATTRIBUTE_READONLY)) {
    basic.FileAttributes &= ~FILE_ATTRIBUTE_READONLY;
    if (basic.FileAttributes == 0) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    SetFileInformationByHandle(file.Get(), FileBasicInfo, &basic, sizeof basic);
  }
  FILE_DISPOSITION_INFO disposition = {TRUE};
  if (!SetFileInformationByHandle(file.Get(), FileDispositionInfo, &disposition,
                                  sizeof disposition))
    return DirectFile::Failed;
  file.Reset();
  return GetFileAttributesW(Widen(path).c_str()) == INVALID_FILE_ATTRIBUTES ? DirectFile::Done
                                                                            : DirectFile::Failed;
}
