#pragma once
#include "ui/control.h"

namespace ui {

// A static text. A label laid out without a size takes the size of its text,
// also when the program changes the text. "&" marks a mnemonic that moves the
// focus to the control created after the label.
class Label : public Control {
 public:
  Label(Form& form, const ControlSpec& spec, HWND handle);
  void SetText(const std::string& text) override;
  void FitToText();

 private:
  bool autoSize_;
};

}  // namespace ui
