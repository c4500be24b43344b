// Every message box of the program goes through MsgBox, so that tests in the
// same process can answer them through a hook.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

namespace ui {

struct MsgBoxRequest {
  HWND owner;
  std::string text;
  std::string caption;
  UINT type;
};

// Returns the button pressed (IDOK, IDCANCEL, IDYES, IDNO). A Yes/No question
// answered any other way (Escape) returns IDNO, an OK/Cancel one IDCANCEL.
int MsgBox(HWND owner, const std::string& text, const std::string& caption, UINT type);

// While a hook is set, MsgBox shows nothing and returns what the hook answers.
using MsgBoxHook = std::function<int(const MsgBoxRequest&)>;
void SetMsgBoxHook(MsgBoxHook hook);

}  // namespace ui
