// The sixteen standard colours by number.
#pragma once
#include <cstdint>

// A 24-bit colour value with red in the low byte and blue in the high byte
// (the layout of a Windows COLORREF).
using ColorValue = uint32_t;

// Entry 0 (black) to 15 (white) of the standard table; white for any other index.
ColorValue ColorByIndex(int index);
