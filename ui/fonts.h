#pragma once
#include <windows.h>

#include <map>
#include <string>
#include <utility>

namespace ui {

// The fonts of one form, created on first use and deleted with the form.
class FontSet {
 public:
  FontSet() = default;
  ~FontSet();
  FontSet(const FontSet&) = delete;
  FontSet& operator=(const FontSet&) = delete;
  // height: negative character height in pixels at 96 DPI.
  HFONT Get(const std::string& face, int height);

 private:
  std::map<std::pair<std::string, int>, HFONT> fonts_;
};

}  // namespace ui
