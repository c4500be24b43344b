#include "ui/edit.h"

namespace ui {

Edit::Edit(Form& form, const ControlSpec& row) : Control(form, row) {}

void Edit::SetText(const std::string& text) {
  Control::SetText(text);
  // The window tells of the change itself; without one the handler runs as
  // it would have.
  if (!HasWindow() && onChange) onChange();
}

void Edit::OnCommand(WORD code) {
  if (code == EN_CHANGE && onChange) onChange();
}

HBRUSH Edit::OnCtlColor(HDC dc) {
  if (color_ != kInherit) ::SetTextColor(dc, color_);
  SetBkColor(dc, GetSysColor(COLOR_WINDOW));
  return GetSysColorBrush(COLOR_WINDOW);
}

}  // namespace ui
