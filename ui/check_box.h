#pragma once
#include <functional>

#include "ui/captioned_control.h"

namespace ui {

// A check box whose click handler runs on every change of its state, whether
// the user clicked or the program set it, and not when the state is set to
// what it already is. The handler runs inside SetChecked, so rules cascade.
class CheckBox : public CaptionedControl {
 public:
  CheckBox(Form& form, const ControlSpec& row);
  std::function<void()> onClick;
  bool Checked() const;
  void SetChecked(bool checked);
  void OnCommand(WORD code) override;

 protected:
  void OnCreated() override;

 private:
  bool checked_;  // until the window is made
};

}  // namespace ui
