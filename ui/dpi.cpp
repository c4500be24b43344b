#include "ui/dpi.h"

#include <windows.h>

namespace ui {

int SystemDpi() {
  static const int dpi = [] {
    HDC dc = GetDC(nullptr);
    int d = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
    if (dc) ReleaseDC(nullptr, dc);
    return d > 0 ? d : 96;
  }();
  return dpi;
}

int Scale(int pixelsAt96) { return MulDiv(pixelsAt96, SystemDpi(), 96); }

}  // namespace ui
