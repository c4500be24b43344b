#pragma once

namespace ui {
// System DPI, read once; forms are laid out for 96 and scaled.
int SystemDpi();
int Scale(int pixelsAt96);
}  // namespace ui
