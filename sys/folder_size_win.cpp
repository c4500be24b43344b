#include <windows.h>

#include "sys/folder_size.h"
#include "sys/handle.h"
#include "sys/path.h"

uint64_t FolderFilesSize(const std::string& folder) {
  WIN32_FIND_DATAA data;
  FindHandle search(FindFirstFileA((AddBackslash(folder) + "*").c_str(), &data));
  if (!search) return 0;
  uint64_t total = 0;
  do {
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      total += (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  } while (FindNextFileA(search.Get(), &data));
  return total;
}
