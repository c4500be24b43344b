#include "ui/rich_text.h"

#include <richedit.h>

#include <string>

namespace ui {

namespace {

// The right end of the widest row's last character other than a blank, in
// client coordinates; rows are lines, as nothing wraps.
int WidestRow(HWND handle) {
  // In UTF-16, as the control counts its characters.
  GETTEXTLENGTHEX lengthOf = {GTL_NUMCHARS, 1200};
  LRESULT length = SendMessageW(handle, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&lengthOf), 0);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  GETTEXTEX get = {static_cast<DWORD>(text.size() * sizeof(wchar_t)), GT_DEFAULT, 1200, nullptr, nullptr};
  text.resize(static_cast<size_t>(SendMessageW(handle, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&get),
                                               reinterpret_cast<LPARAM>(&text[0]))));
  int widest = 0;
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find(L'\r', start);
    if (end == std::wstring::npos) end = text.size();
    size_t last = text.find_last_not_of(L' ', end - 1);
    if (end > start && last != std::wstring::npos && last >= start) {
      POINTL after = {0, 0};
      SendMessageA(handle, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&after), static_cast<LPARAM>(last + 1));
      if (after.x > widest) widest = after.x;
    }
    start = end + 1;
  }
  return widest;
}

}  // namespace

RichText::RichText(Form& form, const ControlSpec& row)
    : LineView(form, row), wrap_((row.flags & kWrap) != 0), border_((row.flags & kNoBorder) == 0), baseHeight_(0) {}

void RichText::OnCreated() {
  const HWND handle = Handle();
  CHARFORMAT2A format = {};
  format.cbSize = sizeof format;
  SendMessageA(handle, EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
  baseHeight_ = format.yHeight;
  // Borderless rich text reads as part of the page.
  SendMessageA(handle, EM_SETBKGNDCOLOR, 0, GetSysColor(border_ ? COLOR_WINDOW : COLOR_BTNFACE));
  // One line of text is one row on screen, as the lines were written; a line
  // too long for the box is cut rather than wrapped into the next. A box
  // laid out to wrap breaks such a line at the box's edge instead.
  SendMessageA(handle, EM_SETTARGETDEVICE, 0, wrap_ ? 0 : 1);
  LineView::OnCreated();
  ApplyColor();
}

void RichText::SetTextColor(COLORREF color) {
  color_ = color;
  if (HasWindow()) ApplyColor();
}

void RichText::Render() {
  LineView::Render();
  ApplyColor();
  FitWidth();
}

// Fonts do not grow in step with the DPI: rows written to fit the box at 96
// DPI may come out a little wider at another. In a slightly smaller size they
// are read whole (down to three quarters); rows that fit keep their size.
void RichText::FitWidth() {
  if (wrap_ || baseHeight_ <= 0) return;
  SetTextHeight(baseHeight_);
  RECT client;
  GetClientRect(Handle(), &client);
  const int room = client.right - 1;
  int widest = WidestRow(Handle());
  for (LONG height = baseHeight_; widest > room && height > baseHeight_ * 3 / 4;) {
    const LONG scaled = height * room / widest;
    height = scaled < height - 10 ? scaled : height - 10;  // at least half a point
    SetTextHeight(height);
    widest = WidestRow(Handle());
  }
}

void RichText::ApplyColor() {
  CHARFORMAT2A format = {};
  format.cbSize = sizeof format;
  format.dwMask = CFM_COLOR;
  format.crTextColor = color_ == kInherit ? GetSysColor(COLOR_WINDOWTEXT) : color_;
  SendMessageA(Handle(), EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
  SendMessageA(Handle(), EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
}

void RichText::SetTextHeight(LONG twips) {
  CHARFORMAT2A format = {};
  format.cbSize = sizeof format;
  format.dwMask = CFM_SIZE;
  format.yHeight = twips;
  SendMessageA(Handle(), EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
  SendMessageA(Handle(), EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
}

}  // namespace ui
