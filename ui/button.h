#pragma once
#include <functional>

#include "ui/captioned_control.h"

namespace ui {

// A push button. A button with a modal result closes a modal form with it.
class Button : public CaptionedControl {
 public:
  Button(Form& form, const ControlSpec& row);
  std::function<void()> onClick;
  int ModalResult() const { return modalResult_; }
  // Runs the click as the user's click would: not while the button is
  // disabled, nor while a click of its form is still being handled.
  void Click();
  void OnCommand(WORD code) override;

 private:
  int modalResult_;
};

}  // namespace ui
