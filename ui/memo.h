#pragma once
#include "ui/line_view.h"

namespace ui {

// A read-only multi-line edit holding lines.
class Memo : public LineView {
 public:
  Memo(Form& form, const ControlSpec& row);
  HBRUSH OnCtlColor(HDC dc) override;
  void ScrollPageUp();
};

}  // namespace ui
