#include "ui/control.h"

#include <vector>

#include "sys/wide.h"
#include "ui/form.h"

namespace ui {

Control::Control(Form& form, const ControlSpec& row)
    : form_(form),
      name_(row.name),
      kind_(row.kind),
      color_(row.font.color),
      text_(row.text ? row.text : ""),
      enabled_((row.flags & kDisabled) == 0),
      visible_((row.flags & kHidden) == 0) {}

HWND Control::Handle() const {
  if (!handle_) form_.BuildWindowOf(*this);
  return handle_;
}

void Control::Attach(HWND handle) {
  handle_ = handle;
  text_.clear();
  OnCreated();
}

bool Control::Enabled() const { return handle_ ? IsWindowEnabled(handle_) != FALSE : enabled_; }

void Control::SetEnabled(bool enabled) {
  form_.KeepFocus(handle_, [&] {
    if (handle_)
      EnableWindow(handle_, enabled ? TRUE : FALSE);
    else
      enabled_ = enabled;
  });
}

bool Control::Visible() const {
  return handle_ ? (GetWindowLongA(handle_, GWL_STYLE) & WS_VISIBLE) != 0 : visible_;
}

void Control::SetVisible(bool visible) {
  form_.KeepFocus(handle_, [&] {
    if (handle_)
      ShowWindow(handle_, visible ? SW_SHOW : SW_HIDE);
    else
      visible_ = visible;
  });
}

std::string Control::Text() const {
  const HWND handle = Handle();
  int n = GetWindowTextLengthW(handle);
  std::vector<wchar_t> buffer(static_cast<size_t>(n) + 1);
  int got = GetWindowTextW(handle, buffer.data(), n + 1);
  return Narrow(buffer.data(), got > 0 ? static_cast<size_t>(got) : 0);
}

void Control::SetText(const std::string& text) {
  if (handle_)
    SetWindowTextW(handle_, Widen(text).c_str());
  else
    text_ = text;
}

void Control::SetTextColor(COLORREF color) {
  color_ = color;
  if (handle_) InvalidateRect(handle_, nullptr, TRUE);
}

void Control::SetFocus() {
  ::SetFocus(Handle());
  form_.ShowDefaultButton();
}

HBRUSH Control::OnCtlColor(HDC dc) {
  if (color_ != kInherit) ::SetTextColor(dc, color_);
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  return GetSysColorBrush(COLOR_BTNFACE);
}

}  // namespace ui
