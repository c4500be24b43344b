#include "ui/check_box.h"

namespace ui {

CheckBox::CheckBox(Form& form, const ControlSpec& row, HWND handle)
    : CaptionedControl(form, row, handle) {
  if (row.flags & kChecked) SendMessageA(handle, BM_SETCHECK, BST_CHECKED, 0);
}

bool CheckBox::Checked() const { return SendMessageA(handle_, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void CheckBox::SetChecked(bool checked) {
  if (Checked() == checked) return;
  SendMessageA(handle_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  if (onClick) onClick();
}

void CheckBox::OnCommand(WORD code) {
  // BS_AUTOCHECKBOX has already toggled the state.
  if (code == BN_CLICKED && onClick) onClick();
}

}  // namespace ui
