#include "ui/line_view.h"

namespace ui {

LineView::LineView(Form& form, const ControlSpec& row) : Control(form, row) {
  if (row.text && *row.text) lines_ = TextToLines(row.text);
  Control::SetText("");
}

void LineView::SetLines(const Lines& lines) {
  lines_ = lines;
  if (HasWindow()) Render();
}

void LineView::AddLine(const std::string& line) {
  lines_.push_back(line);
  if (HasWindow()) Render();
}

void LineView::Clear() {
  lines_.clear();
  if (HasWindow()) Render();
}

void LineView::OnCreated() {
  if (!lines_.empty()) Render();
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
