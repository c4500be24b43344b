#include <windows.h>

#include <cwchar>
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
// The clipboard's text, whatever its letters, up to its first zero; false
// when there is none.
bool ClipboardText(HWND owner, std::wstring* text) {
  if (!IsClipboardFormatAvailable(CF_UNICODETEXT)) return false;
  ClipboardScope clipboard(owner);
  if (!clipboard.Opened()) return false;
  GlobalLockScope data(GetClipboardData(CF_UNICODETEXT));
  if (!data.Data()) return false;
  const wchar_t* chars = static_cast<const wchar_t*>(data.Data());
  // Never read past the block, even when its text lacks the zero.
  const size_t room = data.Size() / sizeof(wchar_t);
  const wchar_t* zero = std::wmemchr(chars, L'\0', room);
  text->assign(chars, zero ? static_cast<size_t>(zero - chars) : room);
  return true;
}
}  // namespace

void PasteAsPlainText(HWND edit) {
  std::wstring text;
  // Without text on the clipboard, replacing the selection would only delete it.
  if (!ClipboardText(edit, &text)) return;
  SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}
