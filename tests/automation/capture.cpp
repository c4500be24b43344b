// What the screen shows: GDI copies the screen into a top-down 32-bit DIB.
// Under Wine the screen DC reads the X display, so every process's windows
// appear as drawn.
#include <windows.h>

#include <chrono>
#include <functional>

#include "tests/automation/automation.h"

namespace automation {
namespace {

struct ScreenDcTraits {
  using Value = HDC;
  static Value None() { return nullptr; }
  static bool Valid(Value v) { return v != nullptr; }
  static void Close(Value v) { ReleaseDC(nullptr, v); }
};
struct MemoryDcTraits {
  using Value = HDC;
  static Value None() { return nullptr; }
  static bool Valid(Value v) { return v != nullptr; }
  static void Close(Value v) { DeleteDC(v); }
};
struct GdiObjectTraits {
  using Value = HGDIOBJ;
  static Value None() { return nullptr; }
  static bool Valid(Value v) { return v != nullptr; }
  static void Close(Value v) { DeleteObject(v); }
};

RECT ScreenRect() {
  return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

}  // namespace

Image CaptureScreen() { return CaptureRect(ScreenRect()); }

Image CaptureRect(const RECT& wanted) {
  RECT r{};
  RECT screen = ScreenRect();
  if (!IntersectRect(&r, &wanted, &screen)) throw Failure("nothing of that rectangle is on the screen");
  Image image;
  image.width = r.right - r.left;
  image.height = r.bottom - r.top;

  UniqueResource<ScreenDcTraits> screenDc(GetDC(nullptr));
  UniqueResource<MemoryDcTraits> memoryDc(CreateCompatibleDC(screenDc.Get()));
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = image.width;
  info.bmiHeader.biHeight = -image.height;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  UniqueResource<GdiObjectTraits> dib(CreateDIBSection(screenDc.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!screenDc || !memoryDc || !dib || !bits) throw Failure("cannot set up a screen capture");
  HGDIOBJ old = SelectObject(memoryDc.Get(), dib.Get());
  BOOL copied = BitBlt(memoryDc.Get(), 0, 0, image.width, image.height, screenDc.Get(), r.left, r.top,
                       SRCCOPY | CAPTUREBLT);
  GdiFlush();
  SelectObject(memoryDc.Get(), old);
  if (!copied) throw Failure("cannot copy the screen: error " + std::to_string(GetLastError()));

  // DIB pixels are B G R x.
  const auto* src = static_cast<const unsigned char*>(bits);
  image.rgb.resize(static_cast<size_t>(image.width) * image.height * 3);
  for (size_t i = 0, n = static_cast<size_t>(image.width) * image.height; i < n; ++i) {
    image.rgb[i * 3] = src[i * 4 + 2];
    image.rgb[i * 3 + 1] = src[i * 4 + 1];
    image.rgb[i * 3 + 2] = src[i * 4];
  }
  return image;
}

// A window just shown may not have painted yet, and Wine copies what a program
// paints to the display a moment later: copy until two copies agree.
Image CaptureSettled(const std::function<RECT()>& where) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
  Image last = CaptureRect(where());
  for (;;) {
    Sleep(150);
    Image next = CaptureRect(where());
    bool same = next.width == last.width && next.height == last.height && next.rgb == last.rgb;
    last = std::move(next);
    // Something that never stops changing (a blinking text) is taken as it is.
    if (same || std::chrono::steady_clock::now() >= deadline) return last;
  }
}

Image CaptureWindow(const Window& w) {
  if (!w.Exists()) throw Failure("cannot capture a window that does not exist");
  return CaptureSettled([&] { return w.Rect(); });
}

Image CaptureProcess(DWORD pid) {
  return CaptureSettled([&] {
    std::vector<Window> windows = TopWindows(pid);
    if (windows.empty()) throw Failure("cannot capture: " + DescribeTopWindows(pid));
    RECT all = windows.front().Rect();
    for (const Window& w : windows) {
      RECT r = w.Rect();
      UnionRect(&all, &all, &r);
    }
    return all;
  });
}

}  // namespace automation
