#include "ui/memo.h"

namespace ui {

Memo::Memo(Form& form, const ControlSpec& row) : LineView(form, row) {}

HBRUSH Memo::OnCtlColor(HDC dc) {
  if (color_ != kInherit) ::SetTextColor(dc, color_);
  SetBkColor(dc, GetSysColor(COLOR_WINDOW));
  return GetSysColorBrush(COLOR_WINDOW);
}

void Memo::ScrollPageUp() { SendMessageA(Handle(), EM_SCROLL, SB_PAGEUP, 0); }

}  // namespace ui
