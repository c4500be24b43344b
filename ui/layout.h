// Forms are data: a table of controls (kind, name, parent, position, text,
// font, flags) that the toolkit builds. Positions and font heights are given
// at 96 DPI and scaled to the system DPI.
#pragma once
#include <windows.h>

#include <cstddef>

namespace ui {

enum class Kind { Panel, Label, Edit, Button, CheckBox, RichText, Memo, Notebook, DirList, FileList, DriveCombo };

// A font that differs from the form's: null face, 0 height or kInherit colour
// keep the form's value.
constexpr COLORREF kInherit = CLR_INVALID;
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kGray = RGB(128, 128, 128);

struct Font {
  const char* face = nullptr;
  int height = 0;  // negative: character height in pixels at 96 DPI
  COLORREF color = kInherit;
};

enum Flag : unsigned {
  kDisabled = 1u << 0,
  kHidden = 1u << 1,
  kNoBorder = 1u << 2,
  kNoTabStop = 1u << 3,
  kDefault = 1u << 4,      // button pressed by Enter, drawn as the default
  kCancel = 1u << 5,       // button pressed by Escape; while it is disabled the user cannot close the form
  kChecked = 1u << 6,
  kLowered = 1u << 7,      // panel bevel
  kModalOk = 1u << 8,      // button closes a modal form with result 1
  kModalCancel = 1u << 9,  // button closes a modal form with result 2
  kWrap = 1u << 10,        // rich text: a line too long for the box wraps
};

struct ControlSpec {
  Kind kind;
  const char* name;
  const char* parent;  // "" for the form, else a panel, notebook page or notebook name
  int left, top, width, height;  // labels take the size of their text
  const char* text;    // notebooks: page names separated by "|"; buttons and check
                       // boxes: their captions, "&" before the mnemonic, separated
                       // by "|", the first shown at creation (see Captions)
  Font font;
  unsigned flags;
};

enum class Border {
  Single,  // fixed, caption and system menu
  Dialog,  // dialog frame
};

struct FormSpec {
  const char* caption;
  int clientWidth, clientHeight;
  Font font;
  Border border;
  bool systemMenu;
  bool maximizeBox;
  bool centerOnScreen;
};

// Modal results.
constexpr int mrNone = 0;
constexpr int mrOk = 1;
constexpr int mrCancel = 2;

template <size_t N>
constexpr size_t CountOf(const ControlSpec (&)[N]) { return N; }

}  // namespace ui
