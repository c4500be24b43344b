#include "ui/form.h"

#include <algorithm>
#include <cwchar>

#include "sys/exception.h"
#include "sys/wide.h"
#include "ui/application.h"
#include "ui/button.h"
#include "ui/control_factory.h"
#include "ui/dpi.h"
#include "ui/notebook.h"
#include "ui/timer.h"

namespace ui {

namespace {

// The timer that builds the pages not built yet while the form is idle; the
// form's Timer objects count up from 1.
constexpr UINT_PTR kIdleBuildTimer = 0x7FFF0000;

// A Unicode window class: every text reaches the window whole.
const wchar_t kFormClass[] = L"CorvalineForm";

void RegisterFormClass() {
  static bool registered = false;
  if (registered) return;
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = DefWindowProcW;  // replaced per window in Form::Form
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kFormClass;
  wc.hIcon = LoadIconW(wc.hInstance, MAKEINTRESOURCEW(1));
  RegisterClassExW(&wc);
  registered = true;
}

std::vector<std::string> SplitPages(const char* text) {
  std::vector<std::string> pages;
  std::string all = text ? text : "";
  size_t start = 0;
  while (start <= all.size()) {
    size_t bar = all.find('|', start);
    if (bar == std::string::npos) bar = all.size();
    if (bar > start) pages.push_back(all.substr(start, bar - start));
    start = bar + 1;
  }
  return pages;
}

// The first tab stop at any depth below within that is shown and enabled.
HWND FirstTabStop(HWND within) {
  for (HWND child = GetWindow(within, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    const LONG style = GetWindowLongA(child, GWL_STYLE);
    if ((style & (WS_VISIBLE | WS_DISABLED)) != WS_VISIBLE) continue;
    if (style & WS_TABSTOP) return child;
    if (GetWindowLongA(child, GWL_EXSTYLE) & WS_EX_CONTROLPARENT)
      if (HWND inner = FirstTabStop(child)) return inner;
  }
  return nullptr;
}

}  // namespace

Form::Form(const FormSpec& layout, const ControlSpec* controls, size_t count, Form* owner)
    : owner_(owner) {
  RegisterFormClass();
  DWORD style = WS_CAPTION | WS_CLIPCHILDREN;
  DWORD exStyle = WS_EX_CONTROLPARENT;
  if (layout.systemMenu) style |= WS_SYSMENU;
  if (layout.maximizeBox) style |= WS_MAXIMIZEBOX;
  if (layout.border == Border::Dialog) exStyle |= WS_EX_DLGMODALFRAME;
  RECT r = {0, 0, Scale(layout.clientWidth), Scale(layout.clientHeight)};
  AdjustWindowRectEx(&r, style, FALSE, exStyle);
  int width = r.right - r.left, height = r.bottom - r.top;
  int left = CW_USEDEFAULT, top = CW_USEDEFAULT;
  if (layout.centerOnScreen) {
    left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  }
  handle_ = CreateWindowExW(exStyle, kFormClass, Widen(layout.caption).c_str(), style, left, top, width,
                            height, owner ? owner->Handle() : nullptr, nullptr, GetModuleHandleW(nullptr),
                            nullptr);
  if (!handle_) throw Exception("Cannot create the window " + std::string(layout.caption));
  SetWindowLongPtrW(handle_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowLongPtrW(handle_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Form::WindowProc));
  Build(layout, controls, count);
}

Form::~Form() {
  // Timers belong to the derived form and are gone by now; the window takes
  // its controls with it.
  if (handle_) {
    SetWindowLongPtrW(handle_, GWLP_USERDATA, 0);
    if (owner_ && IsWindowVisible(handle_)) SetActiveWindow(owner_->Handle());
    DestroyWindow(handle_);
  }
}

void Form::Build(const FormSpec& layout, const ControlSpec* controls, size_t count) {
  const std::string formFace = layout.font.face ? layout.font.face : "MS Sans Serif";
  const int formHeight = layout.font.height ? layout.font.height : -11;
  SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.Get(formFace, formHeight)), 0);
  std::set<const Control*> laterPages;
  int nextId = 100;
  for (size_t i = 0; i < count; ++i) {
    const ControlSpec& row = controls[i];
    Control* parent = nullptr;
    if (row.parent && *row.parent) {
      parent = Find(row.parent);
      if (!parent) throw Exception(std::string("no parent ") + row.parent + " for " + row.name);
    }
    HFONT font = fonts_.Get(row.font.face ? row.font.face : formFace,
                            row.font.height ? row.font.height : formHeight);
    int id = nextId++;
    std::unique_ptr<Control> control = NewControl(*this, row);
    Control* c = control.get();
    byName_[row.name] = c;
    byId_[id] = c;
    controls_.push_back(std::move(control));
    if (auto* button = dynamic_cast<Button*>(c)) {
      if (row.flags & kDefault) defaultButton_ = button;
      if (row.flags & kCancel) cancelButton_ = button;
    }
    Place(*c, row, parent, font, id, laterPages);
    if (auto* notebook = dynamic_cast<Notebook*>(c)) {
      for (const std::string& page : SplitPages(row.text)) {
        ControlSpec pageSpec = {Kind::Panel, nullptr, row.name, 0, 0, row.width, row.height, "", {}, kNoBorder};
        pageSpec.name = page.c_str();
        std::unique_ptr<Control> pagePanel = NewControl(*this, pageSpec);
        Panel* panel = static_cast<Panel*>(pagePanel.get());
        byName_[page] = panel;
        controls_.push_back(std::move(pagePanel));
        Place(*panel, pageSpec, notebook, font, nextId++, laterPages);
        if (notebook->PageCount() > 0) laterPages.insert(panel);
        notebook->AddPage(*panel);
      }
    }
  }
}

void Form::Place(Control& control, const ControlSpec& row, Control* parent, HFONT font, int id,
                 const std::set<const Control*>& laterPages) {
  Deferred entry = {&control, row, parent, font, id, nullptr};
  entry.row.name = entry.row.parent = entry.row.text = nullptr;
  if (parent && laterPages.count(parent)) {
    entry.page = parent;
  } else if (parent && !parent->HasWindow()) {
    for (const Deferred& d : deferred_)
      if (d.control == parent) entry.page = d.page;
  }
  if (entry.page)
    deferred_.push_back(entry);
  else
    CreateWindowOf(entry);
}

void Form::CreateWindowOf(const Deferred& entry) {
  Control& c = *entry.control;
  const HWND parent = entry.parent ? entry.parent->Handle() : handle_;
  const HWND window = CreateControlWindow(entry.row, c.text_, c.enabled_, c.visible_, parent, entry.font, entry.id);
  if (!window) throw Exception("Cannot create the control " + c.Name());
  c.Attach(window);
  byHandle_[window] = &c;
}

void Form::BuildPage(const Control& page) {
  page.Handle();  // a page on a page not built yet comes with that one
  bool made = false;
  // Taken off the list before it is made: a handler run meanwhile may build
  // the rest.
  for (size_t i = 0; i < deferred_.size();) {
    if (deferred_[i].page != &page) {
      ++i;
      continue;
    }
    const Deferred entry = deferred_[i];
    deferred_.erase(deferred_.begin() + static_cast<std::ptrdiff_t>(i));
    CreateWindowOf(entry);
    made = true;
  }
  // Buttons are made drawn as the layout has them.
  if (made) ShowDefaultButton();
}

void Form::BuildWindowOf(const Control& control) {
  for (const Deferred& d : deferred_)
    if (d.control == &control) return BuildPage(*d.page);
}

// One page at each tick of a timer: its message comes only when nothing else waits.
void Form::BuildWhenIdle() {
  if (!deferred_.empty()) BuildPage(*deferred_.front().page);
  if (deferred_.empty()) KillTimer(handle_, kIdleBuildTimer);
}

Control* Form::Find(const std::string& name) const {
  auto it = byName_.find(name);
  return it == byName_.end() ? nullptr : it->second;
}

Form* Form::FromHandle(HWND handle) {
  HWND root = handle ? GetAncestor(handle, GA_ROOT) : nullptr;
  if (!root) return nullptr;
  wchar_t cls[64];
  if (!GetClassNameW(root, cls, 64) || std::wcscmp(cls, kFormClass) != 0) return nullptr;
  return reinterpret_cast<Form*>(GetWindowLongPtrW(root, GWLP_USERDATA));
}

void Form::Show() {
  if (onShow) onShow();
  ShowWindow(handle_, SW_SHOW);
  SetForegroundWindow(handle_);
  FocusActiveControl();
  if (!deferred_.empty()) SetTimer(handle_, kIdleBuildTimer, USER_TIMER_MINIMUM, nullptr);
}

int Form::ShowModal() {
  HWND ownerHandle = owner_ ? owner_->Handle() : nullptr;
  bool ownerEnabled = ownerHandle && IsWindowEnabled(ownerHandle);
  if (ownerEnabled) EnableWindow(ownerHandle, FALSE);
  modal_ = true;
  modalResult_ = mrNone;
  Show();
  MSG msg;
  while (true) {
    if (modalResult_ != mrNone && !CloseQuery()) modalResult_ = mrNone;
    if (modalResult_ != mrNone) break;
    BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {  // the program is ending: let the outer loop see it too
      PostQuitMessage(static_cast<int>(msg.wParam));
      if (modalResult_ == mrNone) modalResult_ = mrCancel;
      break;
    }
    if (got < 0) break;
    if (!Application::TranslateDialogMessage(msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  if (ownerEnabled) EnableWindow(ownerHandle, TRUE);
  if (ownerHandle) SetActiveWindow(ownerHandle);
  ShowWindow(handle_, SW_HIDE);
  modal_ = false;
  return modalResult_;
}

void Form::Close() {
  if (modal_) {
    modalResult_ = mrCancel;  // the modal loop asks the close query
    return;
  }
  if (!CloseQuery()) return;
  ShowWindow(handle_, SW_HIDE);
  if (Application::MainForm() == this) PostQuitMessage(0);
}

bool Form::CloseQuery() {
  bool canClose = true;
  if (onCloseQuery) onCloseQuery(canClose);
  return canClose;
}

bool Form::Visible() const { return IsWindowVisible(handle_) != FALSE; }

std::string Form::Caption() const {
  wchar_t buffer[512];
  int n = GetWindowTextW(handle_, buffer, 512);
  return Narrow(buffer, n > 0 ? static_cast<size_t>(n) : 0);
}

void Form::SetCaption(const std::string& caption) { SetWindowTextW(handle_, Widen(caption).c_str()); }

void Form::SetActiveControl(Control& control) {
  active_ = &control;
  if (Visible()) FocusActiveControl();
}

void Form::FocusActiveControl() {
  if (active_ && CanHoldFocus(active_->Handle()))
    active_->SetFocus();
  else
    KeepFocus(nullptr, [] {}, handle_);
}

Button* Form::DefaultButton() const {
  auto focused = byHandle_.find(GetFocus());
  if (focused != byHandle_.end())
    if (auto* button = dynamic_cast<Button*>(focused->second)) return button;
  return FormDefaultButton();
}

Button* Form::FormDefaultButton() const {
  if (!defaultButton_ || defaultButton_->Enabled() || !cancelButton_ || !cancelButton_->Enabled())
    return defaultButton_;
  // Shown as far as the form: a button on a page not showing (nor built) does not count.
  auto showing = [this](const Control& control) {
    if (!control.HasWindow()) return false;
    for (HWND window = control.Handle(); window && window != handle_; window = GetParent(window))
      if (!(GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE)) return false;
    return true;
  };
  if (!showing(*cancelButton_)) return defaultButton_;
  for (const auto& control : controls_) {
    auto* button = dynamic_cast<Button*>(control.get());
    if (button && button != cancelButton_ && button->Enabled() && showing(*button))
      return defaultButton_;
  }
  return cancelButton_;
}

void Form::ShowDefaultButton() {
  Button* current = DefaultButton();
  for (const auto& control : controls_) {
    auto* button = dynamic_cast<Button*>(control.get());
    if (!button || !button->HasWindow()) continue;  // made as the layout draws it, then drawn again
    const bool drawn = (GetWindowLongA(button->Handle(), GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
    if (drawn != (button == current))
      SendMessageA(button->Handle(), BM_SETSTYLE, button == current ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
  }
}

void Form::KeepFocus(HWND changed, const std::function<void()>& change, HWND preferred) {
  change();
  // A form that is not shown, or not the user's, keeps its hands off the focus.
  if (Visible() && GetActiveWindow() == handle_ && !CanHoldFocus(GetFocus())) MoveFocus(changed, preferred);
  ShowDefaultButton();
}

void Form::FocusPage(HWND page) {
  if (!Visible()) return;
  HWND target = FirstInput(page);
  if (!CanHoldFocus(target)) {
    Button* button = FormDefaultButton();
    target = button && button->HasWindow() ? button->Handle() : nullptr;
  }
  if (!CanHoldFocus(target)) return;
  if (GetActiveWindow() == handle_)
    ::SetFocus(target);
  else
    lastFocus_ = target;  // OnActivate puts it there
  ShowDefaultButton();
}

HWND Form::FirstInput(HWND within) const {
  for (HWND child = GetWindow(within, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (!CanHoldFocus(child) && !(GetWindowLongA(child, GWL_EXSTYLE) & WS_EX_CONTROLPARENT)) continue;
    auto it = byHandle_.find(child);
    const Kind kind = it == byHandle_.end() ? Kind::Panel : it->second->GetKind();
    if (kind == Kind::Panel || kind == Kind::Notebook) {
      if (IsWindowVisible(child))
        if (HWND inner = FirstInput(child)) return inner;
    } else if (kind != Kind::Button && kind != Kind::Label && kind != Kind::RichText && kind != Kind::Memo &&
               (GetWindowLongA(child, GWL_STYLE) & WS_TABSTOP)) {
      return child;
    }
  }
  return nullptr;
}

bool Form::CanHoldFocus(HWND window) const {
  if (!window || !IsChild(handle_, window) || !IsWindowVisible(window) || !IsWindowEnabled(window))
    return false;
  auto it = byHandle_.find(window);
  if (it == byHandle_.end()) return true;  // a part of a control (a combo box's edit)
  const Kind kind = it->second->GetKind();
  return kind != Kind::Panel && kind != Kind::Notebook && kind != Kind::Label;
}

void Form::MoveFocus(HWND from, HWND preferred) {
  const bool fromShown = from && IsChild(handle_, from) && IsWindowVisible(from);
  Button* button = DefaultButton();
  const HWND candidates[] = {
      preferred ? FirstTabStop(preferred) : nullptr,
      fromShown ? GetNextDlgTabItem(handle_, from, FALSE) : nullptr,
      button && button->HasWindow() ? button->Handle() : nullptr,
      FirstTabStop(handle_),
  };
  for (HWND candidate : candidates) {
    if (CanHoldFocus(candidate)) {
      ::SetFocus(candidate);
      return;
    }
  }
  // Never nowhere: the form itself still takes Escape, Alt+F4 and mnemonics.
  ::SetFocus(handle_);
}

void Form::OnActivate(WPARAM wp) {
  if (LOWORD(wp) == WA_INACTIVE) {
    const HWND focus = GetFocus();
    if (focus && IsChild(handle_, focus)) lastFocus_ = focus;
    return;
  }
  // Back from a message box, a dialog or another program: where the user was;
  // the first time, on the first control.
  if (CanHoldFocus(lastFocus_))
    ::SetFocus(lastFocus_);
  else
    MoveFocus(lastFocus_, lastFocus_ ? nullptr : handle_);
  ShowDefaultButton();
}

void Form::UserClose() {
  // Nothing closes the form under a click being handled, nor while its
  // Escape button is disabled: then there is nothing the user may cancel.
  if (inClick_ || (cancelButton_ && !cancelButton_->Enabled())) return;
  Close();
}

void Form::AppendSystemMenuItem(UINT id, const std::string& text) {
  HMENU menu = GetSystemMenu(handle_, FALSE);
  if (!menu) return;
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, MF_STRING, id, Widen(text).c_str());
}

void Form::SetBusyCursor(bool busy) {
  cursor_ = busy ? LoadCursorA(nullptr, IDC_WAIT) : nullptr;
  POINT p;
  RECT r;
  if (GetCursorPos(&p) && GetWindowRect(handle_, &r) && PtInRect(&r, p))
    ::SetCursor(cursor_ ? cursor_ : LoadCursorA(nullptr, IDC_ARROW));
}

void Form::SetIcon(HICON icon) {
  SendMessageA(handle_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  SendMessageA(handle_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
}

RECT Form::Bounds() const {
  RECT r = {};
  GetWindowRect(handle_, &r);
  return r;
}

void Form::MoveTo(int left, int top) {
  SetWindowPos(handle_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

UINT_PTR Form::RegisterTimer(Timer* timer) {
  UINT_PTR id = nextTimerId_++;
  timers_[id] = timer;
  return id;
}

void Form::UnregisterTimer(UINT_PTR id) { timers_.erase(id); }

bool Form::HandleMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

void Form::OnCommand(WPARAM wp, LPARAM lp) {
  const WORD id = LOWORD(wp);
  HWND from = reinterpret_cast<HWND>(lp);
  // The dialog manager sends Enter as IDOK from the focused control: that is
  // no notification of the control's own.
  auto it = from && GetDlgCtrlID(from) == id ? byHandle_.find(from) : byHandle_.end();
  if (it != byHandle_.end()) {
    it->second->OnCommand(HIWORD(wp));
  } else if (id == IDCANCEL) {
    // Escape: the Escape button, or the close box where there is none.
    if (cancelButton_)
      cancelButton_->Click();
    else
      UserClose();
  } else if (id == IDOK) {
    if (Button* button = DefaultButton()) button->Click();
  } else {
    auto byId = byId_.find(id);
    if (byId != byId_.end()) byId->second->OnCommand(HIWORD(wp));
  }
  // A click or a focus change (EN_SETFOCUS) may change the default button.
  ShowDefaultButton();
}

LRESULT Form::Dispatch(UINT msg, WPARAM wp, LPARAM lp) {
  LRESULT result = 0;
  if (HandleMessage(msg, wp, lp, result)) return result;
  switch (msg) {
    case WM_COMMAND:
      OnCommand(wp, lp);
      return 0;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX: {
      auto it = byHandle_.find(reinterpret_cast<HWND>(lp));
      if (it != byHandle_.end())
        return reinterpret_cast<LRESULT>(it->second->OnCtlColor(reinterpret_cast<HDC>(wp)));
      break;
    }
    case WM_TIMER: {
      if (wp == kIdleBuildTimer) {
        BuildWhenIdle();
        return 0;
      }
      auto it = timers_.find(static_cast<UINT_PTR>(wp));
      if (it != timers_.end()) it->second->Fire();
      return 0;
    }
    case WM_CLOSE:
      UserClose();
      return 0;
    case WM_ACTIVATE:
      OnActivate(wp);
      return 0;
    case WM_SETCURSOR:
      if (cursor_ && LOWORD(lp) == HTCLIENT) {
        ::SetCursor(cursor_);
        return TRUE;
      }
      break;
    case DM_GETDEFID: {
      Button* button = DefaultButton();
      if (button) return MAKELRESULT(GetDlgCtrlID(button->Handle()), DC_HASDEFID);
      return 0;
    }
    case WM_NEXTDLGCTL: {
      // The dialog manager moves the focus this way for a label's mnemonic:
      // first onto the label, then on to the next tab stop. A form is no
      // dialog, so nothing would answer it otherwise.
      HWND target = LOWORD(lp) ? reinterpret_cast<HWND>(wp)
                               : GetNextDlgTabItem(handle_, GetFocus(), wp != 0);
      if (target) ::SetFocus(target);
      // As in a dialog, an edit reached by the keyboard has its text selected,
      // so that typing replaces it.
      if (target && (SendMessageA(target, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL))
        SendMessageA(target, EM_SETSEL, 0, -1);
      ShowDefaultButton();
      return 0;
    }
  }
  return DefWindowProcW(handle_, msg, wp, lp);
}

LRESULT CALLBACK Form::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  Form* form = reinterpret_cast<Form*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!form) return DefWindowProcW(hwnd, msg, wp, lp);
  // Nothing may unwind through the system's frames: an error of a handler is
  // shown and the program goes on.
  try {
    return form->Dispatch(msg, wp, lp);
  } catch (const std::exception& e) {
    Application::ShowException(e);
  }
  return 0;
}

}  // namespace ui
