#pragma once
#include <functional>

#include "ui/control.h"

namespace ui {

// A single-line edit whose change handler runs on every change of its text,
// typed or set by the program.
class Edit : public Control {
 public:
  Edit(Form& form, const ControlSpec& row);
  std::function<void()> onChange;
  void SetText(const std::string& text) override;
  void OnCommand(WORD code) override;
  HBRUSH OnCtlColor(HDC dc) override;
};

}  // namespace ui
