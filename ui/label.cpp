#include "ui/label.h"

#include "sys/wide.h"

namespace ui {

Label::Label(Form& form, const ControlSpec& row) : Control(form, row) {}

void Label::SetText(const std::string& text) {
  Control::SetText(text);
  if (!HasWindow()) return;  // fitted when it is made
  FitToText();
  InvalidateRect(Handle(), nullptr, TRUE);
}

void Label::FitToText() {
  std::string text = Text();
  const HWND handle = Handle();
  HDC dc = GetDC(handle);
  if (!dc) return;
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(handle, WM_GETFONT, 0, 0)));
  RECT r = {0, 0, 0, 0};
  DrawTextW(dc, Widen(text.empty() ? " " : text).c_str(), -1, &r, DT_CALCRECT | DT_SINGLELINE);
  SelectObject(dc, old);
  ReleaseDC(handle, dc);
  if (text.empty()) r.right = 0;
  SetWindowPos(handle, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace ui
