#include "ui/rich_text.h"

#include <richedit.h>

namespace ui {

RichText::RichText(Form& form, const ControlSpec& spec, HWND handle) : LineView(form, spec, handle) {
  // Borderless rich text reads as part of the page.
  SendMessageA(handle, EM_SETBKGNDCOLOR, 0,
               GetSysColor((spec.flags & kNoBorder) ? COLOR_BTNFACE : COLOR_WINDOW));
  // One line of text is one row on screen, as the lines were written; a line
  // too long for the box is cut rather than wrapped into the next. A box
  // laid out to wrap breaks such a line at the box's edge instead.
  SendMessageA(handle, EM_SETTARGETDEVICE, 0, (spec.flags & kWrap) ? 0 : 1);
  if (spec.text && *spec.text) SetLines(TextToLines(spec.text));
  ApplyColor();
}

void RichText::SetTextColor(COLORREF color) {
  color_ = color;
  ApplyColor();
}

void RichText::Render() {
  LineView::Render();
  ApplyColor();
}

void RichText::ApplyColor() {
  CHARFORMAT2A format = {};
  format.cbSize = sizeof format;
  format.dwMask = CFM_COLOR;
  format.crTextColor = color_ == kInherit ? GetSysColor(COLOR_WINDOWTEXT) : color_;
  SendMessageA(handle_, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
  SendMessageA(handle_, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
}

}  // namespace ui
