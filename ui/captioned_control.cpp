#include "ui/captioned_control.h"

namespace ui {

CaptionedControl::CaptionedControl(Form& form, const ControlSpec& row)
    : Control(form, row), captions_(row.text) {
  Control::SetText(captions_.Initial());
}

// A button keeps its text as it was set: the kept one reads the same.
std::string CaptionedControl::Text() const {
  return ReadableText(HasWindow() ? Control::Text() : KeptText());
}

void CaptionedControl::SetText(const std::string& text) { Control::SetText(captions_.Shown(text)); }

}  // namespace ui
