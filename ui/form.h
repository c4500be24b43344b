// A top-level window built from a form description. It owns its controls,
// fonts and timers, shows itself normally or modally, and asks its close-query
// handler before it closes.
//
// The controls on a notebook's pages other than the first get their windows
// only when needed, the first window shows sooner so: when their page shows,
// when one of them is asked for its handle or a reading only its window can
// give, or, once the form has shown, one page at a time while it is idle.
// Their objects are there from the start and keep what is set on them.
#pragma once
#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "sys/exception.h"
#include "ui/control.h"
#include "ui/fonts.h"
#include "ui/layout.h"

namespace ui {

class Button;
class Timer;

class Form {
 public:
  Form(const FormSpec& layout, const ControlSpec* controls, size_t count, Form* owner = nullptr);
  virtual ~Form();
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  HWND Handle() const { return handle_; }
  Form* Owner() const { return owner_; }

  // The control of that name; throws when there is none of that type.
  template <class T>
  T& Get(const std::string& name) {
    T* control = dynamic_cast<T*>(Find(name));
    if (!control) throw Exception("form has no control " + name);
    return *control;
  }
  Control* Find(const std::string& name) const;

  std::function<void()> onShow;
  std::function<void(bool& canClose)> onCloseQuery;

  void Show();
  // Shows the form modally until its modal result is set and the close query
  // allows it; returns the modal result.
  int ShowModal();
  // Closes through the close query: a modal form ends with mrCancel, the main
  // form ends the message loop.
  void Close();
  bool Visible() const;

  int ModalResult() const { return modalResult_; }
  void SetModalResult(int result) { modalResult_ = result; }

  std::string Caption() const;
  void SetCaption(const std::string& caption);
  // The control focused when the form shows; without one, or when it cannot
  // take the focus then, the form's first control that can.
  void SetActiveControl(Control& control);

  // The button Enter presses now: the focused push button; else the default
  // button (kDefault), even while disabled, when Enter does nothing; but when
  // that is disabled and the Escape button is the only button left enabled,
  // leaving is all there is to do and the Escape button (an "Exit") is it.
  Button* DefaultButton() const;
  // Draws the button Enter presses as the default one, and no other.
  void ShowDefaultButton();
  // Runs change (a control hidden, disabled, shown or enabled) so that the
  // focus of the showing, active form stays on a control that can take it:
  // when the change took the focus away, or gave a form that had none a
  // control, the focus goes to the first tab stop in preferred (a page just
  // shown), else to the next one after changed, else to the default button,
  // else to the first tab stop; the form itself when none can take it.
  void KeepFocus(HWND changed, const std::function<void()>& change, HWND preferred = nullptr);
  // A page just shown (a notebook's): the focus goes to its first control
  // that takes input, else to the default button, never stays on the button
  // that turned the page. A form that is not the active one keeps it for
  // when it is.
  void FocusPage(HWND page);

  // Whether a button's click is being handled. Its work may let messages
  // through; no other click of the form nor the user's close may run inside it.
  bool InClick() const { return inClick_; }
  class ClickScope {
   public:
    explicit ClickScope(Form& form) : form_(form), was_(form.inClick_) { form.inClick_ = true; }
    ~ClickScope() { form_.inClick_ = was_; }
    ClickScope(const ClickScope&) = delete;
    ClickScope& operator=(const ClickScope&) = delete;

   private:
    Form& form_;
    bool was_;
  };
  // A separator, then a text item, at the end of the system menu.
  void AppendSystemMenuItem(UINT id, const std::string& text);
  // The hourglass over the form while busy.
  void SetBusyCursor(bool busy);
  void SetIcon(HICON icon);

  RECT Bounds() const;
  void MoveTo(int left, int top);

  UINT_PTR RegisterTimer(Timer* timer);
  void UnregisterTimer(UINT_PTR id);

  // The form that owns a window (any of its controls), or null.
  static Form* FromHandle(HWND handle);

  // Makes the windows of the controls on page (a notebook's page) that have none yet.
  void BuildPage(const Control& page);
  // Makes the window of control, with its page, when it has none yet.
  void BuildWindowOf(const Control& control);
  // Whether every control has its window.
  bool Built() const { return deferred_.empty(); }

 protected:
  // Messages the form handles itself before the toolkit does; true when handled.
  virtual bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT Dispatch(UINT msg, WPARAM wp, LPARAM lp);
  // A control whose window waits for its page; the row's texts are not kept.
  struct Deferred {
    Control* control;
    ControlSpec row;
    Control* parent;  // null: the form
    HFONT font;
    int id;
    const Control* page;
  };
  void Build(const FormSpec& layout, const ControlSpec* controls, size_t count);
  // Makes the control's window, or leaves it to its page when that is not built.
  void Place(Control& control, const ControlSpec& row, Control* parent, HFONT font, int id,
             const std::set<const Control*>& laterPages);
  void CreateWindowOf(const Deferred& entry);
  void BuildWhenIdle();
  void OnCommand(WPARAM wp, LPARAM lp);
  bool CloseQuery();
  void FocusActiveControl();
  // The close box, Alt+F4, or Escape without an Escape button.
  void UserClose();
  void OnActivate(WPARAM wp);
  bool CanHoldFocus(HWND window) const;
  // The default button as the form has it, whichever control has the focus.
  Button* FormDefaultButton() const;
  // The first control within that takes the user's input: an edit, a check
  // box, a list; not a button nor text to read.
  HWND FirstInput(HWND within) const;
  void MoveFocus(HWND from, HWND preferred);

  HWND handle_ = nullptr;
  Form* owner_;
  bool modal_ = false;
  int modalResult_ = mrNone;
  HCURSOR cursor_ = nullptr;
  Control* active_ = nullptr;
  HWND lastFocus_ = nullptr;  // where the focus was when the form was last deactivated
  bool inClick_ = false;
  Button* defaultButton_ = nullptr;
  Button* cancelButton_ = nullptr;
  FontSet fonts_;
  std::vector<std::unique_ptr<Control>> controls_;
  std::map<std::string, Control*> byName_;
  std::map<HWND, Control*> byHandle_;
  std::map<int, Control*> byId_;
  std::map<UINT_PTR, Timer*> timers_;
  std::vector<Deferred> deferred_;  // in the table's order
  UINT_PTR nextTimerId_ = 1;
};

}  // namespace ui
