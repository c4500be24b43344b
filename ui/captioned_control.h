#pragma once
#include "ui/captions.h"
#include "ui/control.h"

namespace ui {

// A push button or a check box: a control with a caption that may carry a
// mnemonic. Its text is the caption as the user reads it; the layout's marks
// place the mnemonics (see Captions).
class CaptionedControl : public Control {
 public:
  CaptionedControl(Form& form, const ControlSpec& row);
  std::string Text() const override;
  void SetText(const std::string& text) override;

 private:
  Captions captions_;
};

}  // namespace ui
