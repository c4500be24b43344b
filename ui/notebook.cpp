#include "ui/notebook.h"

#include "ui/form.h"

namespace ui {

// The layout's text names the pages; the window shows none.
Notebook::Notebook(Form& form, const ControlSpec& row) : Panel(form, row) { SetText(""); }

void Notebook::AddPage(Panel& page) {
  pages_.push_back(&page);
  page.SetVisible(pages_.size() - 1 == static_cast<size_t>(index_));
}

void Notebook::SetPageIndex(int index) {
  if (pages_.empty()) return;
  if (index < 0) index = 0;
  if (index >= PageCount()) index = PageCount() - 1;
  const bool turned = index != index_;
  index_ = index;
  // The page's controls get their windows before it shows (see Form).
  Panel& page = *pages_[static_cast<size_t>(index_)];
  form_.BuildPage(page);
  // A focus on the page going away goes to the new page's first control.
  const HWND shown = page.Handle();
  form_.KeepFocus(nullptr, [&] {
    // Show the new page before hiding the old one, so nothing flickers through.
    ShowWindow(shown, SW_SHOW);
    for (int i = 0; i < PageCount(); ++i)
      if (i != index_) ShowWindow(pages_[static_cast<size_t>(i)]->Handle(), SW_HIDE);
  }, shown);
  if (turned) form_.FocusPage(shown);
}

std::string Notebook::ActivePage() const {
  return pages_.empty() ? std::string() : pages_[static_cast<size_t>(index_)]->Name();
}

}  // namespace ui
