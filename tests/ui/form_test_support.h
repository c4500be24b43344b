// Support for tests of forms, run in the test program's own process under
// Wine: the toolkit is initialised once; every message box is answered by a
// script (an unexpected one fails the test instead of waiting for a user who
// never comes); actions run later from whichever message loop is running then
// (a modal form's own); pumps run until a condition holds.
#pragma once
#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "ui/ui.h"

namespace formtest {

// Answers the message boxes shown while it lives, in order, from the answers
// given with Then. A box beyond the script is recorded too: one with only an
// OK button is answered OK, a question fails the test and is answered with
// its refusing button (No or Cancel).
class MsgBoxScript {
 public:
  MsgBoxScript();
  ~MsgBoxScript();
  MsgBoxScript(const MsgBoxScript&) = delete;
  MsgBoxScript& operator=(const MsgBoxScript&) = delete;

  MsgBoxScript& Then(int answer);
  // Runs for every box before it is answered, e.g. to look at the form under it.
  void OnEach(std::function<void(const ui::MsgBoxRequest&)> look) { look_ = std::move(look); }

  size_t Count() const { return shown_.size(); }
  const ui::MsgBoxRequest& operator[](size_t i) const { return shown_.at(i); }
  const ui::MsgBoxRequest& Last() const { return shown_.at(shown_.size() - 1); }
  size_t Unanswered() const { return answers_.size(); }

 private:
  int Answer(const ui::MsgBoxRequest& request);
  std::deque<int> answers_;
  std::vector<ui::MsgBoxRequest> shown_;
  std::function<void(const ui::MsgBoxRequest&)> look_;
};

// The refusing answer of a box of that type: Cancel, No, or OK for a plain box.
int RefusingAnswer(UINT type);

// Runs action once, about delayMs from now, from whichever message loop then
// dispatches this thread's messages. Pending actions are dropped when a test ends.
void RunLater(UINT delayMs, std::function<void()> action);
void CancelPendingActions();

// Handles this thread's messages for ms milliseconds.
void Pump(DWORD ms);
// Handles messages until done() holds or timeoutMs passes; returns done().
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000);

// Posts a key press (down, then up) to window, as the keyboard would.
void PressKey(HWND window, WPARAM key);
// Posts a letter typed with Alt held (a mnemonic) to window.
void PressAlt(HWND window, char letter);

// The text colour of all of a rich-text control's text.
COLORREF RichTextColor(HWND richText);

// Whether every visible character of a rich-text control's text starts inside
// its client area, so that all of it can be read without scrolling.
bool ShowsWhole(HWND richText);

// The visible top-level window of this process with that caption, or null.
HWND FindOwnWindow(const std::string& caption);

// Runs this test program again on the tests that filter names (disabled ones
// included), in a process started at another system DPI: the prefix's
// setting, restored afterwards. Returns the child's exit code.
DWORD RunAtDpi(DWORD dpi, const std::string& filter);
// In such a child run, the DPI it was started at; 0 otherwise.
int ChildDpi();

// Restores the process's current directory when it goes out of scope.
class CurrentDirGuard {
 public:
  CurrentDirGuard();
  ~CurrentDirGuard();
  CurrentDirGuard(const CurrentDirGuard&) = delete;
  CurrentDirGuard& operator=(const CurrentDirGuard&) = delete;

 private:
  std::string saved_;
};

}  // namespace formtest
