#include "ui/control.h"

#include <vector>

#include "sys/wide.h"
#include "ui/form.h"

namespace ui {

Control::Control(Form& form, const ControlSpec& row, HWND handle)
    : form_(form), handle_(handle), name_(row.name), kind_(row.kind), color_(row.font.color) {}

bool Control::Enabled() const { return IsWindowEnabled(handle_) != FALSE; }

void Control::SetEnabled(bool enabled) {
  form_.KeepFocus(handle_, [&] { EnableWindow(handle_, enabled ? TRUE : FALSE); });
}

bool Control::Visible() const { return (GetWindowLongA(handle_, GWL_STYLE) & WS_VISIBLE) != 0; }

void Control::SetVisible(bool visible) {
  form_.KeepFocus(handle_, [&] { ShowWindow(handle_, visible ? SW_SHOW : SW_HIDE); });
}

std::string Control::Text() const {
  int n = GetWindowTextLengthW(handle_);
  std::vector<wchar_t> buffer(static_cast<size_t>(n) + 1);
  int got = GetWindowTextW(handle_, buffer.data(), n + 1);
  return Narrow(buffer.data(), got > 0 ? static_cast<size_t>(got) : 0);
}

void Control::SetText(const std::string& text) { SetWindowTextW(handle_, Widen(text).c_str()); }

void Control::SetTextColor(COLORREF color) {
  color_ = color;
  InvalidateRect(handle_, nullptr, TRUE);
}

void Control::SetFocus() {
  ::SetFocus(handle_);
  form_.ShowDefaultButton();
}

HBRUSH Control::OnCtlColor(HDC dc) {
  if (color_ != kInherit) ::SetTextColor(dc, color_);
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  return GetSysColorBrush(COLOR_BTNFACE);
}

}  // namespace ui
