// Reading another process's controls. Texts come through WM_GETTEXT (sent with
// a timeout, so a hung program fails the test instead of hanging it):
// GetWindowText would give only the caption the system keeps, not an edit's text.
#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "sys/wide.h"
#include "tests/automation/automation.h"

namespace automation {
namespace {

constexpr UINT kSendTimeoutMs = 5000;

bool SameText(const std::string& a, const std::string& b) {
  return a.size() == b.size() && CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a.data(),
                                                static_cast<int>(a.size()), b.data(),
                                                static_cast<int>(b.size())) == CSTR_EQUAL;
}

// Buttons and labels show "&x" as an underlined x; edits show their text as is.
bool ShowsMnemonics(const Window& w) {
  std::string cls = w.ClassName();
  if (SameText(cls, "Button")) return true;
  return SameText(cls, "Static") && !(GetWindowLongA(w.Handle(), GWL_STYLE) & SS_NOPREFIX);
}

std::string TextAsShown(const Window& w) {
  return ShowsMnemonics(w) ? ShownText(w.Text()) : w.Text();
}

bool TextMatches(const std::string& shown, const Control& q) {
  if (q.text.empty()) return true;
  switch (q.match) {
    case Control::Match::Exact: return shown == q.text;
    case Control::Match::Prefix: return shown.compare(0, q.text.size(), q.text) == 0;
    case Control::Match::Contains: return shown.find(q.text) != std::string::npos;
  }
  return false;
}

bool Matches(const Window& w, const Control& q) {
  if (!q.cls.empty() && !SameText(w.ClassName(), q.cls)) return false;
  return TextMatches(TextAsShown(w), q);
}

struct ChildList {
  std::vector<Window> found;
  bool visibleOnly;
};

BOOL CALLBACK CollectChild(HWND hwnd, LPARAM param) {
  auto* list = reinterpret_cast<ChildList*>(param);
  if (!list->visibleOnly || IsWindowVisible(hwnd)) list->found.emplace_back(hwnd);
  return TRUE;
}

}  // namespace

bool Window::Exists() const { return hwnd_ && IsWindow(hwnd_); }

std::string Window::Text() const {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(hwnd_, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &length))
    return std::string();
  // The length may be an upper bound (it can count double-byte conversions).
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(hwnd_, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]),
                           SMTO_ABORTIFHUNG, kSendTimeoutMs, &copied))
    return std::string();
  text.resize(std::min<size_t>(copied, length));
  return Narrow(text);
}

std::string Window::ClassName() const {
  char name[256];
  int n = GetClassNameA(hwnd_, name, sizeof name);
  return std::string(name, n > 0 ? n : 0);
}

int Window::Id() const { return static_cast<int>(GetWindowLongPtrA(hwnd_, GWLP_ID)); }

DWORD Window::ProcessId() const {
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd_, &pid);
  return pid;
}

bool Window::Enabled() const { return IsWindowEnabled(hwnd_) != FALSE; }
bool Window::Visible() const { return IsWindowVisible(hwnd_) != FALSE; }

bool Window::Checked() const {
  DWORD_PTR state = 0;
  SendMessageTimeoutA(hwnd_, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &state);
  return state == BST_CHECKED;
}

RECT Window::Rect() const {
  RECT r{};
  GetWindowRect(hwnd_, &r);
  return r;
}

std::string Window::Describe() const {
  if (!Exists()) return "(no window)";
  std::string d = ClassName() + " \"" + Text() + "\"";
  if (!Visible()) d += " hidden";
  if (!Enabled()) d += " disabled";
  return d;
}

std::vector<Window> Window::Controls(bool visibleOnly) const {
  ChildList list{{}, visibleOnly};
  EnumChildWindows(hwnd_, CollectChild, reinterpret_cast<LPARAM>(&list));
  return list.found;
}

std::string Window::DescribeControls() const {
  std::string d = "controls of " + Describe() + ":";
  for (const Window& c : Controls(true)) d += "\n  " + c.Describe();
  return d;
}

Window Window::Find(const Control& query) const {
  int seen = 0;
  for (const Window& c : Controls(query.visibleOnly)) {
    if (Matches(c, query) && seen++ == query.index) return c;
  }
  return Window();
}

Window Window::Get(const Control& query, Duration timeout) const {
  Window found;
  WaitUntil([&] { return static_cast<bool>(found = Find(query)); }, timeout,
            query.Describe() + " in " + Describe(), [&] { return DescribeControls(); });
  return found;
}

Window Window::FieldOf(const std::string& labelText, const std::string& cls, Duration timeout) const {
  Control labelQuery = StaticControl(labelText, Control::Match::Prefix);
  Window label = Get(labelQuery, timeout);
  RECT lr = label.Rect();
  Window best;
  long bestDown = LONG_MAX;
  long bestAcross = LONG_MAX;
  for (const Window& c : Controls(true)) {
    if (!SameText(c.ClassName(), cls)) continue;
    RECT cr = c.Rect();
    long down = cr.top - lr.top;
    long across = std::labs(cr.left - lr.left);
    if (down < 0) continue;
    if (down < bestDown || (down == bestDown && across < bestAcross)) {
      best = c;
      bestDown = down;
      bestAcross = across;
    }
  }
  if (!best) throw Failure("no " + cls + " at or below the label " + label.Describe() + "\n" + DescribeControls());
  return best;
}

}  // namespace automation
