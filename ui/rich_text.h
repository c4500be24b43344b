#pragma once
#include "ui/line_view.h"

namespace ui {

// Read-only rich text (RichEdit 2.0) holding lines in one colour.
class RichText : public LineView {
 public:
  RichText(Form& form, const ControlSpec& spec, HWND handle);
  void SetTextColor(COLORREF color) override;

 protected:
  void Render() override;

 private:
  void ApplyColor();
};

}  // namespace ui
