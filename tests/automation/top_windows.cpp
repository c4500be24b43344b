// Top-level windows of a process, and waits on windows and controls.
#include <windows.h>

#include "tests/automation/automation.h"

namespace automation {
namespace {

struct TopList {
  std::vector<Window> found;
  DWORD pid;
};

BOOL CALLBACK CollectTop(HWND hwnd, LPARAM param) {
  auto* list = reinterpret_cast<TopList*>(param);
  Window w(hwnd);
  if (w.Visible() && (list->pid == 0 || w.ProcessId() == list->pid)) list->found.push_back(w);
  return TRUE;
}

std::string OfProcess(DWORD pid) {
  return pid ? " of process " + std::to_string(pid) : std::string();
}

Window WaitForWindowMatching(DWORD pid, const std::string& caption, const Control* content,
                             Duration timeout) {
  Window found;
  auto look = [&] {
    for (const Window& w : TopWindows(pid)) {
      if (w.Text() == caption && !IsMsgBox(w) && (!content || w.Find(*content))) {
        found = w;
        return true;
      }
    }
    return false;
  };
  std::string what = "the window \"" + caption + "\"" + OfProcess(pid);
  if (content) what += " showing " + content->Describe();
  WaitUntil(look, timeout, what, [&] { return DescribeTopWindows(pid); });
  return found;
}

}  // namespace

std::vector<Window> TopWindows(DWORD pid) {
  TopList list{{}, pid};
  EnumWindows(CollectTop, reinterpret_cast<LPARAM>(&list));
  return list.found;
}

std::string DescribeTopWindows(DWORD pid) {
  std::vector<Window> windows = TopWindows(pid);
  if (windows.empty()) return "no visible window" + OfProcess(pid);
  std::string d = "visible windows" + OfProcess(pid) + ":";
  for (const Window& w : windows) {
    d += "\n  " + w.Describe();
    if (IsMsgBox(w)) d += " saying \"" + MsgBox(w).Text() + "\"";
  }
  return d;
}

Window WaitForWindow(DWORD pid, const std::string& caption, Duration timeout) {
  return WaitForWindowMatching(pid, caption, nullptr, timeout);
}

Window WaitForWindowShowing(DWORD pid, const std::string& caption, const Control& content,
                            Duration timeout) {
  return WaitForWindowMatching(pid, caption, &content, timeout);
}

void WaitGone(const Window& w, Duration timeout) {
  std::string what = w.Describe();
  WaitUntil([&] { return !w.Exists() || !w.Visible(); }, timeout, what + " to close");
}

void WaitText(const Window& w, const std::string& text, Duration timeout) {
  WaitUntil([&] { return w.Text() == text || w.ShownText() == text; }, timeout,
            "\"" + text + "\" in " + w.ClassName(), [&] { return "it holds \"" + w.Text() + "\""; });
}

void WaitEnabled(const Window& w, bool enabled, Duration timeout) {
  WaitUntil([&] { return w.Enabled() == enabled; }, timeout,
            w.Describe() + (enabled ? " to be enabled" : " to be disabled"));
}

}  // namespace automation
