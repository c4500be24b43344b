#include "ui/panel.h"

#include <commctrl.h>

namespace ui {

namespace {

LRESULT CALLBACK ContainerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
  switch (msg) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
      return SendMessageA(GetAncestor(hwnd, GA_ROOT), msg, wp, lp);
    case WM_ERASEBKGND: {
      // A framed STATIC paints only its frame; the rest would stay unpainted.
      RECT r;
      GetClientRect(hwnd, &r);
      FillRect(reinterpret_cast<HDC>(wp), &r, GetSysColorBrush(COLOR_BTNFACE));
      return 1;
    }
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, ContainerProc, 0);
      break;
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}

}  // namespace

void MakeContainer(HWND handle) { SetWindowSubclass(handle, ContainerProc, 0, 0); }

Panel::Panel(Form& form, const ControlSpec& row) : Control(form, row) {}

void Panel::OnCreated() { MakeContainer(Handle()); }

}  // namespace ui
