#include "ui/captioned_control.h"

namespace ui {

CaptionedControl::CaptionedControl(Form& form, const ControlSpec& row, HWND handle)
    : Control(form, row, handle), captions_(row.text) {
  Control::SetText(captions_.Initial());
}

std::string CaptionedControl::Text() const { return ReadableText(Control::Text()); }

void CaptionedControl::SetText(const std::string& text) { Control::SetText(captions_.Shown(text)); }

}  // namespace ui
