#include <windows.h>

#include <cstring>
#include <string>

#include "sys/controls.h"
#include "sys/handle.h"

void CenterOver(HWND control, HWND form) {
  RECT c, f;
  if (!GetWindowRect(control, &c) || !GetWindowRect(form, &f)) return;
  const LONG cw = c.right - c.left, ch = c.bottom - c.top;
  const LONG fw = f.right - f.left, fh = f.bottom - f.top;
  POINT pos = {f.left + (fw - cw) / 2, f.top + (fh - ch) / 2};
  HWND parent = (GetWindowLongA(control, GWL_STYLE) & WS_CHILD) ? GetParent(control) : nullptr;
  if (parent) MapWindowPoints(HWND_DESKTOP, parent, &pos, 1);
  SetWindowPos(control, nullptr, pos.x, pos.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

namespace {
// The clipboard's text in the ANSI code page (the system converts Unicode
// text for us), up to its first zero; false when there is none.
bool ClipboardText(HWND owner, std::string* text) {
  if (!IsClipboardFormatAvailable(CF_TEXT)) return false;
  ClipboardScope clipboard(owner);
  if (!clipboard.Opened()) return false;
  GlobalLockScope data(GetClipboardData(CF_TEXT));
  if (!data.Data()) return false;
  const char* chars = static_cast<const char*>(data.Data());
  // Never read past the block, even when its text lacks the zero.
  const void* zero = std::memchr(chars, '\0', data.Size());
  size_t n = zero ? static_cast<const char*>(zero) - chars : data.Size();
  text->assign(chars, n);
  return true;
}
}  // namespace

void PasteAsPlainText(HWND edit) {
  std::string text;
  // Without text on the clipboard, replacing the selection would only delete it.
  if (!ClipboardText(edit, &text)) return;
  SendMessageA(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}
