#include "ui/message_box.h"

namespace ui {

namespace {
MsgBoxHook& Hook() {
  static MsgBoxHook hook;
  return hook;
}
}  // namespace

int MsgBox(HWND owner, const std::string& text, const std::string& caption, UINT type) {
  if (Hook()) return Hook()(MsgBoxRequest{owner, text, caption, type});
  return MessageBoxA(owner, text.c_str(), caption.c_str(), type);
}

void SetMsgBoxHook(MsgBoxHook hook) { Hook() = std::move(hook); }

}  // namespace ui
