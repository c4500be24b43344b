#pragma once
#include "sys/lines.h"
#include "ui/control.h"

namespace ui {

// A multi-line text control holding a list of lines (rich text or memo).
class LineView : public Control {
 public:
  using Control::Control;
  const Lines& GetLines() const { return lines_; }
  void SetLines(const Lines& lines);
  void AddLine(const std::string& line);
  void Clear();

 protected:
  // Puts lines_ into the window.
  virtual void Render();
  Lines lines_;
};

}  // namespace ui
