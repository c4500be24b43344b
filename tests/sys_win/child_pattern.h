// What the test console program writes, shared with the tests that check it.
#pragma once
#include <cstdio>
#include <string>

// Ends of every kind: CR LF, LF, an empty line, a zero byte (dropped), bytes
// above 0x7F (kept), a stray CR (dropped) and a last line without an end.
constexpr char kMixedOutput[] = "one\r\ntwo\n\nx\0y\xE9\xFF\r\nz\rz\nlast";

// Line number n of the large output: 79 characters, the number first so that
// order and completeness can be checked line by line.
inline std::string PatternLine(unsigned long n) {
  char head[16];
  std::snprintf(head, sizeof head, "%08lu ", n);
  std::string line = head;
  while (line.size() < 79) line += static_cast<char>('a' + (line.size() + n) % 26);
  return line;
}
