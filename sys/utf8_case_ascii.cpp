#include "sys/utf8_case.h"

std::string Utf8LowerCase(const std::string& text) {
  std::string s = text;
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return s;
}

std::string Utf8UpperCase(const std::string& text) {
  std::string s = text;
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return s;
}

bool Utf8SameText(const std::string& a, const std::string& b) { return Utf8LowerCase(a) == Utf8LowerCase(b); }
