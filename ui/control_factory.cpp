#include "ui/control_factory.h"

#include "sys/wide.h"
#include "ui/button.h"
#include "ui/check_box.h"
#include "ui/dpi.h"
#include "ui/edit.h"
#include "ui/folder_views.h"
#include "ui/label.h"
#include "ui/memo.h"
#include "ui/notebook.h"
#include "ui/rich_text.h"

namespace ui {

namespace {

struct WindowKind {
  const char* className;
  DWORD style;
  DWORD exStyle;
};

DWORD PanelStyle(unsigned flags) {
  if (flags & kLowered) return SS_CENTER | SS_CENTERIMAGE | SS_SUNKEN;
  if (flags & kNoBorder) return SS_LEFT;
  return SS_ETCHEDFRAME;
}

WindowKind KindOf(const ControlSpec& row) {
  const DWORD tab = (row.flags & kNoTabStop) ? 0 : WS_TABSTOP;
  const DWORD edge = (row.flags & kNoBorder) ? 0 : WS_EX_CLIENTEDGE;
  switch (row.kind) {
    case Kind::Panel:
      return {"STATIC", PanelStyle(row.flags) | WS_CLIPSIBLINGS, WS_EX_CONTROLPARENT};
    case Kind::Notebook:
      return {"STATIC", SS_LEFT, WS_EX_CONTROLPARENT};
    case Kind::Label:
      return {"STATIC", SS_LEFT, 0};
    case Kind::Edit:
      return {"EDIT", ES_LEFT | ES_AUTOHSCROLL | tab, WS_EX_CLIENTEDGE};
    case Kind::Button:
      return {"BUTTON", ((row.flags & kDefault) ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | tab, 0};
    case Kind::CheckBox:
      return {"BUTTON", BS_AUTOCHECKBOX | tab, 0};
    case Kind::RichText:
      return {"RichEdit20W", ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | tab, edge};
    case Kind::Memo:
      return {"EDIT", ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | tab, edge};
    case Kind::DirList:
      return {"LISTBOX", LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | tab, WS_EX_CLIENTEDGE};
    case Kind::FileList:
      return {"LISTBOX", LBS_SORT | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | tab, WS_EX_CLIENTEDGE};
    case Kind::DriveCombo:
      return {"COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL | tab, 0};
  }
  return {"STATIC", 0, 0};
}

}  // namespace

std::unique_ptr<Control> NewControl(Form& form, const ControlSpec& row) {
  switch (row.kind) {
    case Kind::Panel: return std::make_unique<Panel>(form, row);
    case Kind::Notebook: return std::make_unique<Notebook>(form, row);
    case Kind::Label: return std::make_unique<Label>(form, row);
    case Kind::Edit: return std::make_unique<Edit>(form, row);
    case Kind::Button: return std::make_unique<Button>(form, row);
    case Kind::CheckBox: return std::make_unique<CheckBox>(form, row);
    case Kind::RichText: return std::make_unique<RichText>(form, row);
    case Kind::Memo: return std::make_unique<Memo>(form, row);
    case Kind::DirList: return std::make_unique<DirList>(form, row);
    case Kind::FileList: return std::make_unique<FileList>(form, row);
    case Kind::DriveCombo: return std::make_unique<DriveCombo>(form, row);
  }
  return nullptr;
}

HWND CreateControlWindow(const ControlSpec& row, const std::string& text, bool enabled, bool visible,
                         HWND parent, HFONT font, int id) {
  WindowKind kind = KindOf(row);
  DWORD style = WS_CHILD | kind.style;
  if (visible) style |= WS_VISIBLE;
  if (!enabled) style |= WS_DISABLED;
  int height = row.height;
  if (row.kind == Kind::DriveCombo) height = 200;  // room for the drop-down list
  HWND handle = CreateWindowExW(kind.exStyle, Widen(kind.className).c_str(), Widen(text).c_str(), style,
                                Scale(row.left), Scale(row.top), Scale(row.width), Scale(height),
                                parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                GetModuleHandleW(nullptr), nullptr);
  if (handle) SendMessageA(handle, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return handle;
}

}  // namespace ui
