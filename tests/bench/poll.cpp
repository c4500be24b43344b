#include "tests/bench/poll.h"

#include <windows.h>

#include "tests/automation/automation.h"

namespace bench {

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

Clock::time_point PollUntil(const std::function<bool()>& done, std::chrono::seconds timeout,
                            const std::string& what) {
  const Clock::time_point deadline = Clock::now() + timeout;
  for (;;) {
    const Clock::time_point now = Clock::now();
    if (done()) return now;
    if (now > deadline)
      throw automation::Failure("no " + what + " within " + std::to_string(timeout.count()) + " s");
    Sleep(1);
  }
}

std::vector<Clock::time_point> PollEach(const std::vector<Milestone>& milestones, std::chrono::seconds timeout) {
  std::vector<Clock::time_point> seen;
  for (const Milestone& m : milestones) seen.push_back(PollUntil(m.reached, timeout, m.what));
  return seen;
}

}  // namespace bench
