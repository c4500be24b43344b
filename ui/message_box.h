// Every message box of the program goes through MsgBox, so that tests in the
// same process can answer them through a hook.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

namespace ui {

// What a box tells the user; each kind carries the icon Windows shows for it.
enum class BoxKind {
  Error,        // something failed or is refused
  Warning,      // something needs the user before it can go on
  Question,     // the user decides
  Information,  // nothing to decide (About)
};

struct MsgBoxRequest {
  HWND owner;
  std::string text;
  std::string caption;
  UINT type;  // the buttons, the default button and the kind's icon, as shown
};

// buttons: MB_OK, MB_OKCANCEL, MB_YESNO or MB_RETRYCANCEL, perhaps with a
// default-button flag. Returns the button pressed (IDOK, IDCANCEL, IDYES,
// IDNO, IDRETRY). A Yes/No question answered any other way (Escape) returns
// IDNO, an OK/Cancel one IDCANCEL.
int MsgBox(HWND owner, const std::string& text, const std::string& caption, BoxKind kind,
           UINT buttons = MB_OK);

// While a hook is set, MsgBox shows nothing and returns what the hook answers.
using MsgBoxHook = std::function<int(const MsgBoxRequest&)>;
void SetMsgBoxHook(MsgBoxHook hook);

}  // namespace ui
