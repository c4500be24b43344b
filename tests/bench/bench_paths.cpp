#include "tests/bench/bench_paths.h"

#include <windows.h>

#include "sys/handle.h"
#include "tests/automation/automation.h"

namespace bench {

std::string TempFolder() {
  char buffer[MAX_PATH + 1];
  DWORD n = GetTempPathA(sizeof buffer, buffer);
  return std::string(buffer, n);
}

std::string FullPath(const std::string& path) {
  char full[MAX_PATH];
  DWORD n = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
  return n > 0 && n < MAX_PATH ? std::string(full, n) : path;
}

std::vector<FolderFile> PlainFiles(const std::string& folder) {
  std::vector<FolderFile> files;
  WIN32_FIND_DATAA data;
  FindHandle find(FindFirstFileA((folder + "\\*").c_str(), &data));
  if (!find) return files;
  do {
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      files.push_back({data.cFileName, (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow});
  } while (FindNextFileA(find.Get(), &data));
  return files;
}

uint64_t FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
    throw automation::Failure("cannot read the size of " + path);
  return (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

}  // namespace bench
