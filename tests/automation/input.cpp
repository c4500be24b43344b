// A user's clicks and keystrokes, as posted window messages. Posting keeps the
// test independent of the input focus and of a window manager, and never
// blocks on a modal loop the action opens.
#include <windows.h>

#include "sys/wide.h"
#include "tests/automation/automation.h"

namespace automation {
namespace {

// A user reaches only a control that is shown and enabled, in a window that a
// modal one has not disabled.
void RequireReachable(const Window& w, const std::string& action) {
  if (!w.Exists()) throw Failure("cannot " + action + ": the window does not exist");
  std::string why;
  if (!w.Visible()) {
    why = "it is hidden";
  } else if (!w.Enabled()) {
    why = "it is disabled";
  } else {
    HWND root = GetAncestor(w.Handle(), GA_ROOT);
    if (root && !IsWindowEnabled(root)) why = "its window is disabled (a modal window is open)";
  }
  if (!why.empty()) throw Failure("cannot " + action + " " + w.Describe() + ": " + why);
}

// Wide: a character reaches a Unicode window whole, an ANSI one in its code page.
void Post(const Window& w, UINT message, WPARAM wp, LPARAM lp) {
  if (!PostMessageW(w.Handle(), message, wp, lp))
    throw Failure("cannot post to " + w.Describe() + ": error " + std::to_string(GetLastError()));
}

// What a click into the edit does: focus it (the edit focuses itself).
void ClickInto(const Window& edit) {
  RequireReachable(edit, "type into");
  if (GetWindowLongA(edit.Handle(), GWL_STYLE) & ES_READONLY)
    throw Failure("cannot type into " + edit.Describe() + ": it is read-only");
  Post(edit, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
  Post(edit, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
}

// text is UTF-8: one WM_CHAR per UTF-16 unit, as typing gives them.
void PostChars(const Window& edit, const std::string& text) {
  for (wchar_t c : Widen(text)) Post(edit, WM_CHAR, c, 1);
}

// Positions in an edit count UTF-16 units.
size_t Units(const std::string& text) { return Widen(text).size(); }

}  // namespace

void Click(const Window& button) {
  RequireReachable(button, "click");
  Post(button, BM_CLICK, 0, 0);
}

void Type(const Window& edit, const std::string& text, Duration timeout) {
  ClickInto(edit);
  Post(edit, EM_SETSEL, 0, -1);
  if (text.empty()) {
    Post(edit, WM_CHAR, VK_BACK, 1);
  } else {
    PostChars(edit, text);
  }
  WaitText(edit, text, timeout);
}

void Append(const Window& edit, const std::string& text, Duration timeout) {
  std::string before = edit.Text();
  ClickInto(edit);
  Post(edit, EM_SETSEL, Units(before), Units(before));
  PostChars(edit, text);
  WaitText(edit, before + text, timeout);
}

void Backspace(const Window& edit, int count, Duration timeout) {
  std::wstring units = Widen(edit.Text());
  const size_t end = units.size();
  units.resize(end > static_cast<size_t>(count) ? end - count : 0);
  const std::string expected = Narrow(units);
  ClickInto(edit);
  Post(edit, EM_SETSEL, end, end);  // the caret at the end, nothing selected
  for (int i = 0; i < count; ++i) Post(edit, WM_CHAR, VK_BACK, 1);
  WaitText(edit, expected, timeout);
}

void PressKey(const Window& w, WORD vk) {
  RequireReachable(w, "press a key in");
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  Window target = w;
  if (GetGUIThreadInfo(GetWindowThreadProcessId(w.Handle(), nullptr), &info) && info.hwndFocus &&
      (info.hwndFocus == w.Handle() || IsChild(w.Handle(), info.hwndFocus)))
    target = Window(info.hwndFocus);
  // The scan code lets the program's TranslateMessage make the WM_CHAR.
  LPARAM lp = 1 | (static_cast<LPARAM>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC)) << 16);
  Post(target, WM_KEYDOWN, vk, lp);
  Post(target, WM_KEYUP, vk, lp | 0xC0000000);
}

void Raise(const Window& w) {
  if (!w.Exists()) throw Failure("cannot raise a window that does not exist");
  if (!SetWindowPos(w.Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE))
    throw Failure("cannot raise " + w.Describe() + ": error " + std::to_string(GetLastError()));
}

void Close(const Window& w) {
  RequireReachable(w, "close");
  Post(w, WM_SYSCOMMAND, SC_CLOSE, 0);
}

void SysCommand(const Window& w, WPARAM command) {
  RequireReachable(w, "use the system menu of");
  Post(w, WM_SYSCOMMAND, command, 0);
}

}  // namespace automation
