#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "ui/control.h"

namespace ui {

// The control object of one row of a form description, without its window.
std::unique_ptr<Control> NewControl(Form& form, const ControlSpec& row);

// Makes the window of a row with the text and state it is to have.
HWND CreateControlWindow(const ControlSpec& row, const std::string& text, bool enabled, bool visible,
                         HWND parent, HFONT font, int id);

}  // namespace ui
