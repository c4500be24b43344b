// List boxes and combo boxes of another process. Their item texts come through
// LB_GETTEXT / CB_GETLBTEXT, which the system copies between processes; asked
// for in the wide form, because Wine hands a cross-process ANSI request the
// wide text unconverted.
#include <windows.h>

#include <cstdlib>

#include "sys/text.h"
#include "tests/automation/automation.h"

namespace automation {
namespace {

constexpr UINT kSendTimeoutMs = 5000;

struct ListMessages {
  UINT count, textLength, text, selection;
};
constexpr ListMessages kListBox{LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT, LB_GETCURSEL};
constexpr ListMessages kComboBox{CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT, CB_GETCURSEL};

bool IsCombo(const Window& w) {
  return CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, w.ClassName().c_str(), -1, "ComboBox", -1) ==
         CSTR_EQUAL;
}

const ListMessages& MessagesOf(const Window& w) { return IsCombo(w) ? kComboBox : kListBox; }

LRESULT Ask(const Window& w, UINT message, WPARAM wp = 0, LPARAM lp = 0) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(w.Handle(), message, wp, lp, SMTO_ABORTIFHUNG, kSendTimeoutMs, &result))
    throw Failure("no answer from " + w.Describe());
  return static_cast<LRESULT>(result);
}

// The item with exactly this text, else the one that reads so without the
// blanks that indent it (folder lists show their depth that way).
int IndexOf(const Window& list, const std::string& item) {
  std::vector<std::string> items = Items(list);
  for (size_t i = 0; i < items.size(); ++i) {
    if (items[i] == item) return static_cast<int>(i);
  }
  for (size_t i = 0; i < items.size(); ++i) {
    if (Trim(items[i]) == item) return static_cast<int>(i);
  }
  std::string known;
  for (const std::string& i : items) known += " [" + i + "]";
  throw Failure("no item \"" + item + "\" in " + list.Describe() + "; it holds" + known);
}

// Scrolls the item into view and posts a press and release on its middle.
void ClickItem(const Window& list, int index, UINT down) {
  Ask(list, LB_SETTOPINDEX, index);
  RECT r{};
  if (Ask(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r)) == LB_ERR)
    throw Failure("cannot locate item " + std::to_string(index) + " of " + list.Describe());
  LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  PostMessageA(list.Handle(), down, MK_LBUTTON, at);
  PostMessageA(list.Handle(), WM_LBUTTONUP, 0, at);
}

void RequireUsable(const Window& list, const std::string& action) {
  if (!list.Visible() || !list.Enabled())
    throw Failure("cannot " + action + " in " + list.Describe() + ": it is hidden or disabled");
}

}  // namespace

std::vector<std::string> Items(const Window& list) {
  const ListMessages& m = MessagesOf(list);
  std::vector<std::string> items;
  LRESULT count = Ask(list, m.count);
  for (LRESULT i = 0; i < count; ++i) {
    LRESULT length = Ask(list, m.textLength, i);
    std::wstring wide(length > 0 ? length + 1 : 1, L'\0');
    LRESULT copied = Ask(list, m.text, i, reinterpret_cast<LPARAM>(&wide[0]));
    wide.resize(copied > 0 && copied <= length ? copied : 0);
    std::string text(wide.size() * 2, '\0');
    int n = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), &text[0],
                                static_cast<int>(text.size()), nullptr, nullptr);
    text.resize(n > 0 ? n : 0);
    items.push_back(text);
  }
  return items;
}

int SelectedIndex(const Window& list) { return static_cast<int>(Ask(list, MessagesOf(list).selection)); }

void Select(const Window& list, const std::string& item, Duration timeout) {
  RequireUsable(list, "select \"" + item + "\"");
  int wanted = IndexOf(list, item);
  if (IsCombo(list)) {
    // A closed drop-down list moves its selection with the arrow keys, and
    // tells its parent each time.
    int now = SelectedIndex(list);
    int steps = now < 0 ? wanted + 1 : std::abs(wanted - now);
    for (; steps > 0; --steps) PressKey(list, now < wanted ? VK_DOWN : VK_UP);
  } else {
    ClickItem(list, wanted, WM_LBUTTONDOWN);
  }
  WaitUntil([&] { return SelectedIndex(list) == wanted; }, timeout,
            "\"" + item + "\" to be selected in " + list.Describe());
}

void DoubleClick(const Window& list, const std::string& item) {
  RequireUsable(list, "double-click \"" + item + "\"");
  int index = IndexOf(list, item);
  ClickItem(list, index, WM_LBUTTONDOWN);
  ClickItem(list, index, WM_LBUTTONDBLCLK);
}

}  // namespace automation
