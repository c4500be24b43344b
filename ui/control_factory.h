#pragma once
#include <windows.h>

#include <memory>

#include "ui/control.h"

namespace ui {

// Creates the window of one row of a form description and its control object.
std::unique_ptr<Control> CreateControl(Form& form, const ControlSpec& row, HWND parent,
                                       HFONT font, int id);

}  // namespace ui
