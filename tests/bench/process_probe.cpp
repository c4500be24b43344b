#include "tests/bench/process_probe.h"

#include <windows.h>
#include <psapi.h>

#include <string>

#include "sys/handle.h"

namespace bench {
namespace {

constexpr DWORD kIdleTimeoutMs = 30000;

UniqueHandle Open(const automation::Process& program, DWORD access) {
  UniqueHandle process(OpenProcess(access, FALSE, program.Id()));
  if (!process)
    throw automation::Failure("cannot open process " + std::to_string(program.Id()) + ": error " +
                              std::to_string(GetLastError()));
  return process;
}

}  // namespace

Clock::time_point FirstWindowShown(const automation::Process& program, std::chrono::seconds timeout) {
  const DWORD pid = program.Id();
  return PollUntil([&] { return !automation::TopWindows(pid).empty(); }, timeout,
                   "visible window of process " + std::to_string(pid));
}

void WaitInputIdle(const automation::Process& program) {
  UniqueHandle process = Open(program, SYNCHRONIZE | PROCESS_QUERY_INFORMATION);
  if (WaitForInputIdle(process.Get(), kIdleTimeoutMs) != 0)
    throw automation::Failure("process " + std::to_string(program.Id()) + " did not wait for input within " +
                              std::to_string(kIdleTimeoutMs / 1000) + " s");
}

uint64_t PeakWorkingSet(const automation::Process& program) {
  UniqueHandle process = Open(program, PROCESS_QUERY_INFORMATION | PROCESS_VM_READ);
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(process.Get(), &counters, sizeof counters) || counters.PeakWorkingSetSize == 0)
    throw automation::Failure("no memory counters of process " + std::to_string(program.Id()));
  return counters.PeakWorkingSetSize;
}

}  // namespace bench
