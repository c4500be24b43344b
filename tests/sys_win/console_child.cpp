// A console program for the tests of the process helpers and the console
// runner: each mode writes a known pattern to its standard handles, or waits,
// or leaves a mark, then ends with a known exit code.
//   lines            "a" CR LF "b" LF "c", exit 3
//   mixed            CR LF and LF ends, an empty line, a zero byte, high bytes, no final end
//   lf-pieces        "ab", pause, a lone LF, pause, "cd" LF
//   interleave N     N pairs "out i" / "err i", alternating stdout and stderr
//   big BYTES        BYTES bytes of 80-byte lines (79 characters and LF)
//   exit CODE        exits with CODE (hexadecimal)
//   sleep MS         writes "pid <id>", sleeps MS milliseconds
//   touch FILE MS    sleeps MS milliseconds, creates FILE, exit 7
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/sys_win/child_pattern.h"

namespace {
void Put(DWORD which, const std::string& s) {
  DWORD n = 0;
  WriteFile(GetStdHandle(which), s.data(), static_cast<DWORD>(s.size()), &n, nullptr);
}
void Out(const std::string& s) { Put(STD_OUTPUT_HANDLE, s); }
}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 100;
  const std::string mode = argv[1];
  const char* arg = argc > 2 ? argv[2] : "0";
  if (mode == "lines") {
    Out("a\r\nb\nc");
    return 3;
  }
  if (mode == "mixed") {
    Out(std::string(kMixedOutput, sizeof kMixedOutput - 1));
    return 0;
  }
  if (mode == "lf-pieces") {
    Out("ab");
    Sleep(300);
    Out("\n");
    Sleep(300);
    Out("cd\n");
    return 0;
  }
  if (mode == "interleave") {
    int n = atoi(arg);
    for (int i = 0; i < n; ++i) {
      Put(STD_OUTPUT_HANDLE, "out " + std::to_string(i) + "\n");
      Put(STD_ERROR_HANDLE, "err " + std::to_string(i) + "\n");
    }
    return 0;
  }
  if (mode == "big") {
    const unsigned long total = strtoul(arg, nullptr, 10);
    std::string block;
    unsigned long line = 0, written = 0;
    while (written < total) {
      block.clear();
      while (block.size() < 65536 && written + block.size() < total) block += PatternLine(line++) + "\n";
      Out(block);
      written += block.size();
    }
    return 0;
  }
  if (mode == "exit") return static_cast<int>(strtoul(arg, nullptr, 16));
  if (mode == "flood") {  // never stops writing; blocks only on a full pipe
    Out("pid " + std::to_string(GetCurrentProcessId()) + "\n");
    std::string block;
    for (unsigned long line = 0; block.size() < 65536; ++line) block += PatternLine(line) + "\n";
    for (;;) Out(block);
  }
  if (mode == "sleep") {
    Out("pid " + std::to_string(GetCurrentProcessId()) + "\n");
    Sleep(strtoul(arg, nullptr, 10));
    return 0;
  }
  if (mode == "touch" && argc > 3) {
    Sleep(strtoul(argv[3], nullptr, 10));
    HANDLE f = CreateFileA(arg, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return 101;
    CloseHandle(f);
    return 7;
  }
  return 100;
}
