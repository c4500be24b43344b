#include "ui/button.h"

#include "ui/form.h"

namespace ui {

Button::Button(Form& form, const ControlSpec& spec, HWND handle)
    : Control(form, spec, handle),
      modalResult_((spec.flags & kModalOk) ? mrOk : (spec.flags & kModalCancel) ? mrCancel : mrNone) {}

void Button::Click() {
  if (!Enabled()) return;
  if (modalResult_ != mrNone) form_.SetModalResult(modalResult_);
  if (onClick) onClick();
}

void Button::OnCommand(WORD code) {
  if (code == BN_CLICKED) Click();
}

}  // namespace ui
