#pragma once
#include "sys/lines.h"
#include "ui/control.h"

namespace ui {

// A multi-line text control holding a list of lines (rich text or memo).
class LineView : public Control {
 public:
  // The layout's text is the first lines.
  LineView(Form& form, const ControlSpec& row);
  const Lines& GetLines() const { return lines_; }
  void SetLines(const Lines& lines);
  void AddLine(const std::string& line);
  void Clear();

 protected:
  // Puts lines_ into the window; one not made yet gets them when it is.
  virtual void Render();
  void OnCreated() override;
  Lines lines_;
};

}  // namespace ui
