// GoogleTest's Notification for the win32 thread model, which has no
// std::mutex or std::condition_variable. Read before GoogleTest's own headers
// (tests/CMakeLists.txt), which then leave theirs out. Only GoogleTest's
// tests of its own threads wait on it, so a spinning wait is enough; it
// stays clear of <windows.h>, whose macros would reach every test.
#pragma once
#include <atomic>

namespace testing {
namespace internal {

class Notification {
 public:
  Notification() = default;
  Notification(const Notification&) = delete;
  Notification& operator=(const Notification&) = delete;

  void Notify() { notified_.store(true); }
  void WaitForNotification() {
    while (!notified_.load()) {
    }
  }

 private:
  std::atomic<bool> notified_{false};
};

}  // namespace internal
}  // namespace testing
