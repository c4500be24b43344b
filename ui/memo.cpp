#include "ui/memo.h"

namespace ui {

Memo::Memo(Form& form, const ControlSpec& spec, HWND handle) : LineView(form, spec, handle) {
  if (spec.text && *spec.text) SetLines(TextToLines(spec.text));
}

HBRUSH Memo::OnCtlColor(HDC dc) {
  if (color_ != kInherit) ::SetTextColor(dc, color_);
  SetBkColor(dc, GetSysColor(COLOR_WINDOW));
  return GetSysColorBrush(COLOR_WINDOW);
}

void Memo::ScrollPageUp() { SendMessageA(handle_, EM_SCROLL, SB_PAGEUP, 0); }

}  // namespace ui
