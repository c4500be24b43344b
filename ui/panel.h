#pragma once
#include "ui/control.h"

namespace ui {

// A container: a panel, a notebook or one of its pages. It is a STATIC window
// that passes its children's notifications on to the form.
class Panel : public Control {
 public:
  Panel(Form& form, const ControlSpec& row);

 protected:
  void OnCreated() override;
};

// Makes a STATIC window pass WM_COMMAND, WM_NOTIFY and WM_CTLCOLOR* of its
// children on to the top-level form.
void MakeContainer(HWND handle);

}  // namespace ui
