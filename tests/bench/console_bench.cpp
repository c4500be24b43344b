// Times RunConsole delivering 10 MB of 80-byte lines against a plain blocking
// read loop over the same program's output, round by round in one run, and
// prints a Markdown table with the ratio of the medians.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "sys/console_runner.h"
#include "sys/handle.h"
#include "sys/module_path.h"
#include "sys/path.h"
#include "tests/sys_win/child_pattern.h"

namespace {
constexpr unsigned long kLines = 10 * 1024 * 1024 / 80;
constexpr int kRounds = 5;

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER f;
  QueryPerformanceFrequency(&f);
  return double(to.QuadPart - from.QuadPart) / double(f.QuadPart);
}

LARGE_INTEGER Now() {
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return t;
}

// The same child and pipe set-up as the runner, then ReadFile until the pipe
// breaks, splitting lines by the same rules with the same 1023-byte reads.
bool PlainReadLoop(const std::string& command, Lines& out) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  UniqueHandle readEnd, writeEnd;
  if (!CreatePipe(readEnd.Receive(), writeEnd.Receive(), &inherit, 2500000)) return false;
  SetHandleInformation(readEnd.Get(), HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
  startup.wShowWindow = SW_HIDE;
  startup.hStdOutput = startup.hStdError = writeEnd.Get();
  PROCESS_INFORMATION info = {};
  std::vector<char> line(command.begin(), command.end());
  line.push_back('\0');
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                      &info))
    return false;
  CloseHandle(info.hThread);
  UniqueHandle process(info.hProcess);
  writeEnd.Reset();  // only the child's copy keeps the pipe open
  char buffer[1024];
  std::string current;
  DWORD got = 0;
  while (ReadFile(readEnd.Get(), buffer, 1023, &got, nullptr) && got > 0) {
    for (DWORD i = 0; i < got; ++i) {
      char c = buffer[i];
      if (c == '\n') {
        out.push_back(current);
        current.clear();
      } else if (c != '\r' && c != '\0') {
        current += c;
      }
    }
  }
  if (!current.empty()) out.push_back(current);
  WaitForSingleObject(process.Get(), INFINITE);
  return true;
}

bool Complete(const Lines& out) {
  if (out.size() != kLines) return false;
  for (unsigned long i = 0; i < kLines; i += 997)
    if (out[i] != PatternLine(i)) return false;
  return out.back() == PatternLine(kLines - 1);
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}
}  // namespace

int main() {
  const std::string command = "\"" + ExtractFilePath(ModuleFileName()) +
                              "bench_console_child.exe\" big " + std::to_string(kLines * 80);
  std::vector<double> runner, plain;
  for (int round = 0; round < kRounds; ++round) {
    Lines a, b;
    a.reserve(kLines);
    b.reserve(kLines);
    LARGE_INTEGER t0 = Now();
    RunConsole(command, a, SW_HIDE, nullptr, nullptr);
    LARGE_INTEGER t1 = Now();
    if (!PlainReadLoop(command, b)) {
      std::fprintf(stderr, "plain read loop could not start the child\n");
      return 1;
    }
    LARGE_INTEGER t2 = Now();
    if (!Complete(a) || !Complete(b)) {
      std::fprintf(stderr, "incomplete output: runner %u lines, plain %u lines\n",
                   unsigned(a.size()), unsigned(b.size()));
      return 1;
    }
    runner.push_back(Seconds(t0, t1));
    plain.push_back(Seconds(t1, t2));
  }
  const double r = Median(runner), p = Median(plain);
  std::printf("# Console runner: 10 MB in 80-byte lines (%lu lines), median of %d rounds\n\n",
              kLines, kRounds);
  std::printf("| reader | seconds | MB/s |\n|---|---|---|\n");
  std::printf("| RunConsole (peek, 100 ms polls, messages) | %.3f | %.1f |\n", r, 10.0 / r);
  std::printf("| plain blocking ReadFile loop | %.3f | %.1f |\n", p, 10.0 / p);
  std::printf("\nratio RunConsole / plain loop: %.2f\n", r / p);
  return 0;
}
