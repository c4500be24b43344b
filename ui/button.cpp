#include "ui/button.h"

#include "ui/form.h"

namespace ui {

Button::Button(Form& form, const ControlSpec& row)
    : CaptionedControl(form, row),
      modalResult_((row.flags & kModalOk) ? mrOk : (row.flags & kModalCancel) ? mrCancel : mrNone) {}

void Button::Click() {
  // A click's work may let pending messages through (a wait, a long step); a
  // second click of the form then would start the work again inside itself.
  if (!Enabled() || form_.InClick()) return;
  Form::ClickScope click(form_);
  if (modalResult_ != mrNone) form_.SetModalResult(modalResult_);
  if (onClick) onClick();
}

void Button::OnCommand(WORD code) {
  if (code == BN_CLICKED) Click();
}

}  // namespace ui
