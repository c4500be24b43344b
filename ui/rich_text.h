#pragma once
#include "ui/line_view.h"

namespace ui {

// Read-only rich text (RichEdit 2.0) holding lines in one colour, one line a
// row unless laid out to wrap. A row that the system's fonts make a little
// wider than the box is shown a little smaller rather than cut.
class RichText : public LineView {
 public:
  RichText(Form& form, const ControlSpec& row);
  void SetTextColor(COLORREF color) override;

 protected:
  void Render() override;
  void OnCreated() override;

 private:
  void ApplyColor();
  void FitWidth();
  void SetTextHeight(LONG twips);
  bool wrap_;
  bool border_;
  LONG baseHeight_;  // the text's height as laid out, in twips
};

}  // namespace ui
