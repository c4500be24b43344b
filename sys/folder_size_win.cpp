#include <windows.h>

#include "sys/folder_size.h"
#include "sys/handle.h"
#include "sys/path.h"
#include "sys/wide.h"

uint64_t FolderFilesSize(const std::string& folder) {
  WIN32_FIND_DATAW data;
  FindHandle search(FindFirstFileW(Widen(AddBackslash(folder) + "*").c_str(), &data));
  if (!search) return 0;
  uint64_t total = 0;
  do {
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      total += (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  } while (FindNextFileW(search.Get(), &data));
  return total;
}
