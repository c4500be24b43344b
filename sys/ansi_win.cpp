#include <windows.h>

#include "sys/ansi.h"

std::string AnsiLowerCase(std::string s) {
  if (!s.empty()) CharLowerBuffA(&s[0], static_cast<DWORD>(s.size()));
  return s;
}

std::string AnsiUpperCase(std::string s) {
  if (!s.empty()) CharUpperBuffA(&s[0], static_cast<DWORD>(s.size()));
  return s;
}

bool AnsiSameText(const std::string& a, const std::string& b) {
  return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()),
                        b.data(), static_cast<int>(b.size())) == CSTR_EQUAL;
}
