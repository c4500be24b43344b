#pragma once
#include "ui/control.h"

namespace ui {

// A static text that takes the size of its text in its own font, also when the
// program changes the text: the laid-out size is only the designer's guess, and
// fonts differ between systems. "&" marks a mnemonic that moves the
// focus to the control created after the label.
class Label : public Control {
 public:
  Label(Form& form, const ControlSpec& row);
  void SetText(const std::string& text) override;
  void FitToText();

 protected:
  void OnCreated() override { FitToText(); }
};

}  // namespace ui
