#include "sys/ansi.h"

namespace {

unsigned char LowerOf(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return c + 32;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;
  switch (c) {
    case 0x8A: return 0x9A;  // S caron
    case 0x8C: return 0x9C;  // OE
    case 0x8E: return 0x9E;  // Z caron
    case 0x9F: return 0xFF;  // Y diaeresis
    default: return c;
  }
}

unsigned char UpperOf(unsigned char c) {
  if (c >= 'a' && c <= 'z') return c - 32;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 32;
  switch (c) {
    case 0x9A: return 0x8A;
    case 0x9C: return 0x8C;
    case 0x9E: return 0x8E;
    case 0xFF: return 0x9F;
    default: return c;
  }
}

}  // namespace

std::string AnsiLowerCase(std::string s) {
  for (char& c : s) c = static_cast<char>(LowerOf(static_cast<unsigned char>(c)));
  return s;
}

std::string AnsiUpperCase(std::string s) {
  for (char& c : s) c = static_cast<char>(UpperOf(static_cast<unsigned char>(c)));
  return s;
}

bool AnsiSameText(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (LowerOf(static_cast<unsigned char>(a[i])) != LowerOf(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}
