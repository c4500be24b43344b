#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "sys/controls.h"

namespace {
// A window destroyed at scope end.
class Window {
 public:
  Window(const char* cls, DWORD style, int x, int y, int w, int h, HWND parent = nullptr)
      : hwnd_(CreateWindowExA(0, cls, "", style, x, y, w, h, parent, nullptr, nullptr, nullptr)) {}
  ~Window() {
    if (hwnd_) DestroyWindow(hwnd_);
  }
  HWND Get() const { return hwnd_; }

 private:
  HWND hwnd_;
};

RECT Outer(HWND w) {
  RECT r;
  GetWindowRect(w, &r);
  return r;
}

std::string Text(HWND w) {
  int n = GetWindowTextLengthA(w);
  std::string s(n + 1, '\0');
  GetWindowTextA(w, &s[0], n + 1);
  s.resize(n);
  return s;
}

// Puts the given formats on the clipboard (nothing at all for an empty list).
void SetClipboard(std::initializer_list<std::pair<UINT, std::string>> formats) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  for (const auto& f : formats) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, f.second.size() + 1);
    std::memcpy(GlobalLock(block), f.second.c_str(), f.second.size() + 1);
    GlobalUnlock(block);
    SetClipboardData(f.first, block);
  }
  CloseClipboard();
}
}  // namespace

TEST(CenterOver, CentresOnOuterRectanglesTruncatingTowardZero) {
  Window form("STATIC", WS_POPUP | WS_VISIBLE, 100, 100, 400, 300);
  Window dialog("STATIC", WS_POPUP | WS_VISIBLE, 0, 0, 101, 51);
  CenterOver(dialog.Get(), form.Get());
  RECT r = Outer(dialog.Get());
  EXPECT_EQ(r.left, 100 + 299 / 2);
  EXPECT_EQ(r.top, 100 + 249 / 2);
  EXPECT_EQ(r.right - r.left, 101);  // size untouched

  // Larger than the form: the negative halves round toward zero, not down.
  Window small("STATIC", WS_POPUP | WS_VISIBLE, 300, 300, 100, 100);
  Window big("STATIC", WS_POPUP | WS_VISIBLE, 0, 0, 301, 201);
  CenterOver(big.Get(), small.Get());
  r = Outer(big.Get());
  EXPECT_EQ(r.left, 300 - 100);
  EXPECT_EQ(r.top, 300 - 50);
}

TEST(CenterOver, PlacesAChildInItsParentsCoordinates) {
  Window parent("STATIC", WS_POPUP | WS_VISIBLE, 50, 40, 500, 400);
  Window child("STATIC", WS_CHILD | WS_VISIBLE, 0, 0, 100, 80, parent.Get());
  CenterOver(child.Get(), parent.Get());
  RECT r = Outer(child.Get());
  EXPECT_EQ(r.left, 50 + 200);
  EXPECT_EQ(r.top, 40 + 160);
}

TEST(PasteAsPlainText, ReplacesTheSelectionWithTheClipboardText) {
  Window edit("EDIT", WS_POPUP | WS_VISIBLE | ES_MULTILINE, 0, 0, 300, 100);
  SetWindowTextA(edit.Get(), "Hello world!");
  SendMessageA(edit.Get(), EM_SETSEL, 6, 11);
  SetClipboard({{CF_TEXT, "Mars\r\nand \xE9t\xE9"}});
  PasteAsPlainText(edit.Get());
  EXPECT_EQ(Text(edit.Get()), "Hello Mars\r\nand \xE9t\xE9!");
}

TEST(PasteAsPlainText, WithoutTextOnTheClipboardTheSelectionStays) {
  Window edit("EDIT", WS_POPUP | WS_VISIBLE | ES_MULTILINE, 0, 0, 300, 100);
  SetWindowTextA(edit.Get(), "keep this");
  SendMessageA(edit.Get(), EM_SETSEL, 0, 4);
  SetClipboard({});
  PasteAsPlainText(edit.Get());
  EXPECT_EQ(Text(edit.Get()), "keep this");
}
