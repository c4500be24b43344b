#include "ui/message_box.h"

#include "sys/wide.h"

namespace ui {

namespace {
MsgBoxHook& Hook() {
  static MsgBoxHook hook;
  return hook;
}

UINT IconOf(BoxKind kind) {
  switch (kind) {
    case BoxKind::Error: return MB_ICONERROR;
    case BoxKind::Warning: return MB_ICONWARNING;
    case BoxKind::Question: return MB_ICONQUESTION;
    case BoxKind::Information: return MB_ICONINFORMATION;
  }
  return MB_ICONERROR;
}
}  // namespace

int MsgBox(HWND owner, const std::string& text, const std::string& caption, BoxKind kind,
           UINT buttons) {
  // The kind alone decides the icon.
  const UINT type = (buttons & ~MB_ICONMASK) | IconOf(kind);
  const int answer = Hook() ? Hook()(MsgBoxRequest{owner, text, caption, type})
                            : MessageBoxW(owner, Widen(text).c_str(), Widen(caption).c_str(), type);
  // Escape or the close box can end a question with an answer that is
  // neither (Wine does): only Yes, or OK, agrees.
  switch (type & MB_TYPEMASK) {
    case MB_YESNO: return answer == IDYES ? IDYES : IDNO;
    case MB_OKCANCEL: return answer == IDOK ? IDOK : IDCANCEL;
    default: return answer;
  }
}

void SetMsgBoxHook(MsgBoxHook hook) { Hook() = std::move(hook); }

}  // namespace ui
