#include "sys/colors.h"

namespace {
// black, maroon, green, olive, navy, purple, teal, grey,
// silver, red, lime, yellow, blue, fuchsia, aqua, white
constexpr ColorValue kStandardColors[16] = {
    0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0x808080,
    0xC0C0C0, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF,
};
constexpr ColorValue kWhite = 0xFFFFFF;
}  // namespace

ColorValue ColorByIndex(int index) {
  if (index < 0 || index > 15) return kWhite;
  return kStandardColors[index];
}
