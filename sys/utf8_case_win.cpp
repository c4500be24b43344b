#include "sys/utf8_case.h"

#include <windows.h>

#include "sys/wide.h"

namespace {
// The invariant mapping: the same on every system, whatever its language.
std::string Mapped(const std::string& text, DWORD how) {
  std::wstring wide = Widen(text);
  if (wide.empty()) return text;
  std::wstring out(wide.size(), L'\0');
  const int n = LCMapStringW(LOCALE_INVARIANT, how, wide.data(), static_cast<int>(wide.size()), &out[0],
                             static_cast<int>(out.size()));
  return n == static_cast<int>(wide.size()) ? Narrow(out) : text;
}
}  // namespace

std::string Utf8LowerCase(const std::string& text) { return Mapped(text, LCMAP_LOWERCASE); }
std::string Utf8UpperCase(const std::string& text) { return Mapped(text, LCMAP_UPPERCASE); }
bool Utf8SameText(const std::string& a, const std::string& b) { return Utf8LowerCase(a) == Utf8LowerCase(b); }
