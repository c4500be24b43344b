// Texts the system fills into a caller's buffer: ask for the length first,
// then fetch into a buffer one larger.
#include <windows.h>

#include <vector>

#include "sys/files.h"
#include "sys/wide.h"

namespace {
// fetch(buffer, size) returns the length needed (with the zero) when size is
// too small, else the length written (without the zero); 0 on failure.
template <typename Fetch>
std::string FetchSystemText(Fetch fetch) {
  DWORD needed = fetch(nullptr, 0);
  if (needed == 0) return std::string();
  std::vector<wchar_t> buffer(needed + 1, L'\0');
  DWORD n = fetch(buffer.data(), static_cast<DWORD>(buffer.size()));
  if (n == 0 || n >= buffer.size()) return std::string();
  return Narrow(buffer.data());
}

std::string SystemShortName(const std::string& path) {
  const std::wstring wide = Widen(path);
  return FetchSystemText([&](wchar_t* b, DWORD n) { return GetShortPathNameW(wide.c_str(), b, n); });
}

ShortNameLookup g_shortNames = SystemShortName;
}  // namespace

void SetShortNameLookup(ShortNameLookup lookup) { g_shortNames = lookup ? lookup : SystemShortName; }

std::string ShortPathName(const std::string& path) { return g_shortNames(path); }

std::string LongPathName(const std::string& path) {
  const std::wstring wide = Widen(path);
  return FetchSystemText([&](wchar_t* b, DWORD n) { return GetLongPathNameW(wide.c_str(), b, n); });
}

std::string FullPathName(const std::string& path) {
  if (path.empty()) return std::string();
  const std::wstring wide = Widen(path);
  return FetchSystemText([&](wchar_t* b, DWORD n) { return GetFullPathNameW(wide.c_str(), n, b, nullptr); });
}

std::string WindowsDir() {
  return FetchSystemText([](wchar_t* b, DWORD n) { return GetWindowsDirectoryW(b, n); });
}

std::string TempDir() {
  return FetchSystemText([](wchar_t* b, DWORD n) { return GetTempPathW(n, b); });
}

std::string GetCurrentDir() {
  return FetchSystemText([](wchar_t* b, DWORD n) { return GetCurrentDirectoryW(n, b); });
}

bool SetCurrentDir(const std::string& folder) {
  return SetCurrentDirectoryW(Widen(folder).c_str()) != FALSE;
}
