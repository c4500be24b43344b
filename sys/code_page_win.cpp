#include "sys/code_page.h"

#include <windows.h>

#include "sys/wide.h"

bool AnsiFromUtf8(const std::string& utf8, std::string* ansi) {
  ansi->clear();
  const std::wstring wide = Widen(utf8);
  if (wide.empty()) return utf8.empty();
  // Invalid UTF-8 comes back as U+FFFD, which no code page holds.
  BOOL defaulted = FALSE;
  const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                                    nullptr, 0, nullptr, &defaulted);
  if (n <= 0 || defaulted) return false;
  std::string bytes(n, '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()), &bytes[0], n,
                      nullptr, &defaulted);
  if (defaulted) return false;
  *ansi = bytes;
  return true;
}

bool FitsCodePage(const std::string& utf8) {
  std::string ansi;
  return AnsiFromUtf8(utf8, &ansi);
}

std::string Utf8FromAnsi(const std::string& ansi) {
  if (ansi.empty()) return std::string();
  const int n = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
  if (n <= 0) return std::string();
  std::wstring wide(n, L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), &wide[0], n);
  return Narrow(wide);
}
