#include "ui/check_box.h"

namespace ui {

CheckBox::CheckBox(Form& form, const ControlSpec& row)
    : CaptionedControl(form, row), checked_((row.flags & kChecked) != 0) {}

void CheckBox::OnCreated() {
  if (checked_) SendMessageA(Handle(), BM_SETCHECK, BST_CHECKED, 0);
}

bool CheckBox::Checked() const {
  return HasWindow() ? SendMessageA(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED : checked_;
}

void CheckBox::SetChecked(bool checked) {
  if (Checked() == checked) return;
  if (HasWindow())
    SendMessageA(Handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  else
    checked_ = checked;
  if (onClick) onClick();
}

void CheckBox::OnCommand(WORD code) {
  // BS_AUTOCHECKBOX has already toggled the state.
  if (code == BN_CLICKED && onClick) onClick();
}

}  // namespace ui
