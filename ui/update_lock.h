#pragma once
#include <windows.h>

namespace ui {

// Freezes the painting of a window while a page changes; released when it
// goes out of scope, if it was taken.
class WindowUpdateLock {
 public:
  explicit WindowUpdateLock(HWND window) : locked_(LockWindowUpdate(window) != FALSE) {}
  ~WindowUpdateLock() {
    if (locked_) LockWindowUpdate(nullptr);
  }
  WindowUpdateLock(const WindowUpdateLock&) = delete;
  WindowUpdateLock& operator=(const WindowUpdateLock&) = delete;
  bool Locked() const { return locked_; }

 private:
  bool locked_;
};

}  // namespace ui
