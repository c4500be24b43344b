#include "ui/notebook.h"

namespace ui {

Notebook::Notebook(Form& form, const ControlSpec& row, HWND handle) : Panel(form, row, handle) {}

void Notebook::AddPage(Panel& page) {
  pages_.push_back(&page);
  page.SetVisible(pages_.size() - 1 == static_cast<size_t>(index_));
}

void Notebook::SetPageIndex(int index) {
  if (pages_.empty()) return;
  if (index < 0) index = 0;
  if (index >= PageCount()) index = PageCount() - 1;
  index_ = index;
  // Show the new page before hiding the old one, so nothing flickers through.
  pages_[static_cast<size_t>(index_)]->SetVisible(true);
  for (int i = 0; i < PageCount(); ++i)
    if (i != index_) pages_[static_cast<size_t>(i)]->SetVisible(false);
}

std::string Notebook::ActivePage() const {
  return pages_.empty() ? std::string() : pages_[static_cast<size_t>(index_)]->Name();
}

}  // namespace ui
