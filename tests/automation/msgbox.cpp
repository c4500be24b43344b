// Standard message boxes: a "#32770" dialog whose text is the Static with id
// 0xFFFF and whose buttons carry the ids IDOK, IDCANCEL, IDYES, IDNO...
#include <windows.h>

#include "tests/automation/automation.h"

namespace automation {
namespace {

constexpr int kTextId = 0xFFFF;

Window TextOf(const Window& box) { return Window(GetDlgItem(box.Handle(), kTextId)); }

const char* IdName(int id) {
  switch (id) {
    case IDOK: return "OK";
    case IDCANCEL: return "Cancel";
    case IDABORT: return "Abort";
    case IDRETRY: return "Retry";
    case IDIGNORE: return "Ignore";
    case IDYES: return "Yes";
    case IDNO: return "No";
    default: return "(unknown)";
  }
}

}  // namespace

bool IsMsgBox(const Window& w) {
  return w.Exists() && w.ClassName() == "#32770" && static_cast<bool>(TextOf(w));
}

std::string MsgBox::Text() const { return TextOf(box_).Text(); }

std::vector<std::string> MsgBox::Buttons() const {
  std::vector<std::string> texts;
  for (const Window& c : box_.Controls(true)) {
    if (c.ClassName() == "Button") texts.push_back(c.ShownText());
  }
  return texts;
}

std::string MsgBox::Describe() const {
  std::string d = "message box \"" + Caption() + "\" saying \"" + Text() + "\" with";
  for (const std::string& b : Buttons()) d += " [" + b + "]";
  return d;
}

void MsgBox::Answer(int id, Duration timeout) const {
  Window button(GetDlgItem(box_.Handle(), id));
  if (!button || !button.Visible())
    throw Failure("cannot answer " + std::string(IdName(id)) + ": the " + Describe() + " has no such button");
  Click(button);
  WaitGone(box_, timeout);
}

MsgBox WaitForMsgBox(DWORD pid, Duration timeout) { return WaitForMsgBox(pid, std::string(), timeout); }

MsgBox WaitForMsgBox(DWORD pid, const std::string& text, Duration timeout) {
  Window found;
  auto look = [&] {
    for (const Window& w : TopWindows(pid)) {
      if (IsMsgBox(w) && (text.empty() || MsgBox(w).Text() == text)) {
        found = w;
        return true;
      }
    }
    return false;
  };
  std::string what = text.empty() ? "a message box" : "the message box \"" + text + "\"";
  if (pid) what += " of process " + std::to_string(pid);
  WaitUntil(look, timeout, what, [&] { return DescribeTopWindows(pid); });
  return MsgBox(found);
}

}  // namespace automation
