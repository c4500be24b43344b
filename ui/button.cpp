#include "ui/button.h"

#include "ui/form.h"

namespace ui {

Button::Button(Form& form, const ControlSpec& row, HWND handle)
    : Control(form, row, handle),
      modalResult_((row.flags & kModalOk) ? mrOk : (row.flags & kModalCancel) ? mrCancel : mrNone) {}

void Button::Click() {
  if (!Enabled()) return;
  if (modalResult_ != mrNone) form_.SetModalResult(modalResult_);
  if (onClick) onClick();
}

void Button::OnCommand(WORD code) {
  if (code == BN_CLICKED) Click();
}

}  // namespace ui
