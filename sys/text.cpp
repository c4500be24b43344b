#include "sys/text.h"

#include <algorithm>

namespace {
bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= ' '; }
}  // namespace

std::string TrimLeft(const std::string& s) {
  size_t b = 0;
  while (b < s.size() && IsBlankOrControl(s[b])) ++b;
  return s.substr(b);
}

std::string TrimRight(const std::string& s) {
  size_t e = s.size();
  while (e > 0 && IsBlankOrControl(s[e - 1])) --e;
  return s.substr(0, e);
}

std::string Trim(const std::string& s) { return TrimLeft(TrimRight(s)); }

std::string GetToken(int index, const std::string& text, const std::string& delimiter,
                     const std::string& def) {
  if (index < 0 || delimiter.empty()) return def;
  size_t pos = 0;
  std::string field;
  for (int n = 0; n <= index; ++n) {
    field.clear();
    // Take fields from the front of the rest until one is not empty.
    while (field.empty() && pos < text.size()) {
      size_t hit = text.find(delimiter, pos);
      if (hit == std::string::npos) {
        field = text.substr(pos);
        pos = text.size();
      } else {
        field = text.substr(pos, hit - pos);
        pos = hit + delimiter.size();
      }
    }
    if (field.empty()) return def;
  }
  return field;
}

std::string ReplaceAll(std::string s, const std::string& from, const std::string& to) {
  if (from.empty()) return s;
  size_t pos = 0;
  while ((pos = s.find(from, pos)) != std::string::npos) {
    s.replace(pos, from.size(), to);
    pos += to.size();
  }
  return s;
}

std::string RemoveChar(std::string s, char c) {
  s.erase(std::remove(s.begin(), s.end(), c), s.end());
  return s;
}

std::string OneLine(const std::string& text) {
  std::string line;
  for (char c : text) {
    const bool lineBreak = c == '\r' || c == '\n';
    if (!lineBreak) line += c;
    else if (!line.empty() && line.back() != ' ') line += ' ';
  }
  return TrimRight(line);
}
