#include <windows.h>

#include <chrono>

#include "tests/automation/automation.h"

namespace automation {

void WaitUntil(const std::function<bool()>& done, Duration timeout, const std::string& what,
               const std::function<std::string()>& details) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (done()) return;
    if (std::chrono::steady_clock::now() >= deadline) break;
    // Short enough that a test does not wait noticeably longer than the
    // program it drives, long enough not to compete with it for the CPU.
    Sleep(20);
  }
  // One last look: the program may have caught up during the final sleep.
  if (done()) return;
  std::string message = "timed out after " + std::to_string(timeout.count()) + " ms waiting for " + what;
  if (details) {
    std::string more = details();
    if (!more.empty()) message += "\n" + more;
  }
  throw Failure(message);
}

}  // namespace automation
