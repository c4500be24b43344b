// What the peer benchmark reads of a running installer from outside, alike
// for every installer: when its first window shows, and its memory.
#pragma once
#include <chrono>
#include <cstdint>

#include "tests/automation/automation.h"
#include "tests/bench/poll.h"

namespace bench {

// The moment the first visible top-level window of the process was seen,
// looking every millisecond; Failure after timeout.
Clock::time_point FirstWindowShown(const automation::Process& program, std::chrono::seconds timeout);
// Waits until the program waits for input: its first page is drawn and idle.
void WaitInputIdle(const automation::Process& program);
// The process's peak working set so far, in bytes; Failure when the system
// does not tell.
uint64_t PeakWorkingSet(const automation::Process& program);

}  // namespace bench
