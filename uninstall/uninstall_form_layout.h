#pragma once
#include <cstddef>

#include "ui/layout.h"

// The uninstall wizard's window and controls.
extern const ui::FormSpec kUninstallFormSpec;
extern const ui::ControlSpec kUninstallControls[];
extern const size_t kUninstallControlCount;
