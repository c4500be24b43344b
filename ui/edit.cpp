#include "ui/edit.h"

namespace ui {

Edit::Edit(Form& form, const ControlSpec& row, HWND handle) : Control(form, row, handle) {}

void Edit::OnCommand(WORD code) {
  if (code == EN_CHANGE && onChange) onChange();
}

HBRUSH Edit::OnCtlColor(HDC dc) {
  if (color_ != kInherit) ::SetTextColor(dc, color_);
  SetBkColor(dc, GetSysColor(COLOR_WINDOW));
  return GetSysColorBrush(COLOR_WINDOW);
}

}  // namespace ui
