#pragma once
#include <functional>

#include "ui/control.h"

namespace ui {

// A push button. A button with a modal result closes a modal form with it.
class Button : public Control {
 public:
  Button(Form& form, const ControlSpec& row, HWND handle);
  std::function<void()> onClick;
  int ModalResult() const { return modalResult_; }
  // Runs the click as the user's click would.
  void Click();
  void OnCommand(WORD code) override;

 private:
  int modalResult_;
};

}  // namespace ui
