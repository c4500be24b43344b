#include "common/version.h"

#include <cctype>
#include <vector>

namespace {

// One piece of a version: a number, or a letter tag with the number after it
// ("b0"). A tag marks a pre-release of the numbers before it.
struct Piece {
  bool tag = false;
  std::string letters;
  unsigned long long number = 0;
};

bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }
bool IsLetter(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }

unsigned long long ReadNumber(const std::string& s, size_t* i) {
  unsigned long long n = 0;
  for (; *i < s.size() && IsDigit(s[*i]); ++*i)
    n = n > 1'000'000'000'000ULL ? n : n * 10 + static_cast<unsigned>(s[*i] - '0');
  return n;
}

std::vector<Piece> Split(const std::string& s) {
  std::vector<Piece> pieces;
  size_t i = 0;
  while (i < s.size()) {
    if (IsDigit(s[i])) {
      pieces.push_back({false, "", ReadNumber(s, &i)});
    } else if (IsLetter(s[i]) && pieces.empty()) {
      ++i;  // "v0.9": a leading word names no part
    } else if (IsLetter(s[i])) {
      Piece p{true, "", 0};
      for (; i < s.size() && IsLetter(s[i]); ++i)
        p.letters += static_cast<char>(std::tolower(static_cast<unsigned char>(s[i])));
      p.number = ReadNumber(s, &i);
      pieces.push_back(p);
    } else {
      ++i;  // separators
    }
  }
  return pieces;
}

int Compare(unsigned long long a, unsigned long long b) { return a < b ? -1 : a > b ? 1 : 0; }

}  // namespace

int CompareVersions(const std::string& a, const std::string& b) {
  const std::vector<Piece> pa = Split(a), pb = Split(b);
  if (pa.empty() || pb.empty()) return pa.empty() == pb.empty() ? 0 : pa.empty() ? -1 : 1;
  for (size_t i = 0;; ++i) {
    const bool endA = i >= pa.size(), endB = i >= pb.size();
    if (endA && endB) return 0;
    // A missing piece counts as 0 against a number ("0.9" is "0.9.0") and as
    // the release itself against a tag: "0.9" is newer than "0.9b0".
    const Piece none{};
    const Piece& x = endA ? none : pa[i];
    const Piece& y = endB ? none : pb[i];
    if (x.tag != y.tag) return x.tag ? -1 : 1;
    if (x.tag && x.letters != y.letters) return x.letters < y.letters ? -1 : 1;
    if (int c = Compare(x.number, y.number)) return c;
  }
}
