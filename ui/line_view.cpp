#include "ui/line_view.h"

namespace ui {

void LineView::SetLines(const Lines& lines) {
  lines_ = lines;
  Render();
}

void LineView::AddLine(const std::string& line) {
  lines_.push_back(line);
  Render();
}

void LineView::Clear() {
  lines_.clear();
  Render();
}

void LineView::Render() {
  std::string text;
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (i) text += "\r\n";
    text += lines_[i];
  }
  Control::SetText(text);
}

}  // namespace ui
