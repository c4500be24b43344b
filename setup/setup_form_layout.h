#pragma once
#include <cstddef>

#include "ui/layout.h"

// The setup wizard's window and controls.
extern const ui::FormSpec kSetupFormSpec;
extern const ui::ControlSpec kSetupControls[];
extern const size_t kSetupControlCount;
