#include <windows.h>

#include <vector>

#include "sys/module_path.h"
#include "sys/wide.h"

std::string ModuleFileName() {
  // A program may lie deeper than MAX_PATH: grow until the whole name fits.
  for (DWORD size = MAX_PATH + 1; size <= 32768; size *= 2) {
    std::vector<wchar_t> buffer(size);
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), size);
    if (n == 0) return std::string();
    if (n < size) return Narrow(buffer.data(), n);
  }
  return std::string();
}
