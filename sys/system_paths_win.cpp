// Texts the system fills into a caller's buffer: ask for the length first,
// then fetch into a buffer one larger.
#include <windows.h>

#include <vector>

#include "sys/files.h"

namespace {
// fetch(buffer, size) returns the length needed (with the zero) when size is
// too small, else the length written (without the zero); 0 on failure.
template <typename Fetch>
std::string FetchSystemText(Fetch fetch) {
  DWORD needed = fetch(nullptr, 0);
  if (needed == 0) return std::string();
  std::vector<char> buffer(needed + 1, '\0');
  DWORD n = fetch(buffer.data(), static_cast<DWORD>(buffer.size()));
  if (n == 0 || n >= buffer.size()) return std::string();
  return std::string(buffer.data());
}
}  // namespace

std::string ShortPathName(const std::string& path) {
  return FetchSystemText(
      [&](char* b, DWORD n) { return GetShortPathNameA(path.c_str(), b, n); });
}

std::string FullPathName(const std::string& path) {
  if (path.empty()) return std::string();
  return FetchSystemText(
      [&](char* b, DWORD n) { return GetFullPathNameA(path.c_str(), n, b, nullptr); });
}

std::string WindowsDir() {
  return FetchSystemText([](char* b, DWORD n) { return GetWindowsDirectoryA(b, n); });
}

std::string TempDir() {
  return FetchSystemText([](char* b, DWORD n) { return GetTempPathA(n, b); });
}

std::string GetCurrentDir() {
  return FetchSystemText([](char* b, DWORD n) { return GetCurrentDirectoryA(n, b); });
}

bool SetCurrentDir(const std::string& folder) {
  return SetCurrentDirectoryA(folder.c_str()) != FALSE;
}
