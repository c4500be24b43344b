#pragma once
#include <string>
#include <vector>

#include "ui/panel.h"

namespace ui {

// A notebook of named pages, one shown at a time.
class Notebook : public Panel {
 public:
  Notebook(Form& form, const ControlSpec& row);
  void AddPage(Panel& page);
  int PageCount() const { return static_cast<int>(pages_.size()); }
  int PageIndex() const { return index_; }
  // Shows page index, clamped to the pages there are.
  void SetPageIndex(int index);
  std::string ActivePage() const;

 private:
  std::vector<Panel*> pages_;
  int index_ = 0;
};

}  // namespace ui
