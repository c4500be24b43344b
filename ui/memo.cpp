#include "ui/memo.h"

namespace ui {

Memo::Memo(Form& form, const ControlSpec& row, HWND handle) : LineView(form, row, handle) {
  if (row.text && *row.text) SetLines(TextToLines(row.text));
}

HBRUSH Memo::OnCtlColor(HDC dc) {
  if (color_ != kInherit) ::SetTextColor(dc, color_);
  SetBkColor(dc, GetSysColor(COLOR_WINDOW));
  return GetSysColorBrush(COLOR_WINDOW);
}

void Memo::ScrollPageUp() { SendMessageA(handle_, EM_SCROLL, SB_PAGEUP, 0); }

}  // namespace ui
