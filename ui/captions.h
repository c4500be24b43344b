// Captions of push buttons and check boxes with their mnemonics. The layout
// gives a control its captions marked, "&Next|&Install": the first is shown
// when the control is made, the others are those the program gives it later.
// The program sets and reads a caption as the user reads it ("Install"); the
// window shows the marked caption that begins the text, and any "&" of the
// program's own text (a folder's name) as itself.
#pragma once
#include <string>
#include <vector>

namespace ui {

class Captions {
 public:
  explicit Captions(const char* layoutText);
  // As the window shows it when the control is made.
  std::string Initial() const;
  // What the window shows for the text the program sets.
  std::string Shown(const std::string& text) const;

 private:
  std::vector<std::string> marked_;
};

// A window's text as the user reads it: "&x" reads "x", "&&" reads "&".
std::string ReadableText(const std::string& shown);

}  // namespace ui
