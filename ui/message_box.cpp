#include "ui/message_box.h"

#include "sys/wide.h"

namespace ui {

namespace {
MsgBoxHook& Hook() {
  static MsgBoxHook hook;
  return hook;
}
}  // namespace

int MsgBox(HWND owner, const std::string& text, const std::string& caption, UINT type) {
  if (Hook()) return Hook()(MsgBoxRequest{owner, text, caption, type});
  return MessageBoxW(owner, Widen(text).c_str(), Widen(caption).c_str(), type);
}

void SetMsgBoxHook(MsgBoxHook hook) { Hook() = std::move(hook); }

}  // namespace ui
