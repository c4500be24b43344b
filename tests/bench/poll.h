// Timing another program from outside: a steady clock and a wait that looks
// every millisecond.
#pragma once
#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace bench {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d);

// Looks at done() every millisecond until it holds and returns the moment of
// the look that saw it; automation::Failure naming what after timeout. done()
// should send the watched program no message: its thread may be busy working,
// and each message would slow it down.
Clock::time_point PollUntil(const std::function<bool()>& done, std::chrono::seconds timeout,
                            const std::string& what);

// Something a program does on its way, seen from outside.
struct Milestone {
  std::string what;
  std::function<bool()> reached;
};

// The moments of milestones that come in this order, each looked for from
// the moment the one before was seen.
std::vector<Clock::time_point> PollEach(const std::vector<Milestone>& milestones, std::chrono::seconds timeout);

}  // namespace bench
