// Base of every control: a standard Win32 control window owned by its form.
// The window is destroyed with the form; the object only keeps its handle.
// A control on a notebook page that has not shown yet has no window until
// its page is built (see Form): what the program sets on it meanwhile is
// kept and given to the window when it is made.
#pragma once
#include <windows.h>

#include <string>

#include "ui/layout.h"

namespace ui {

class Form;

class Control {
 public:
  Control(Form& form, const ControlSpec& row);
  virtual ~Control() = default;
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  // The control's window, made with its page when it has none yet.
  HWND Handle() const;
  bool HasWindow() const { return handle_ != nullptr; }
  const std::string& Name() const { return name_; }
  Kind GetKind() const { return kind_; }
  Form& OwnerForm() const { return form_; }

  bool Enabled() const;
  // Disabling or hiding the control that has the focus moves the focus on to
  // the next control that can take it.
  void SetEnabled(bool enabled);
  bool Visible() const;
  void SetVisible(bool visible);
  virtual std::string Text() const;
  virtual void SetText(const std::string& text);
  COLORREF TextColor() const { return color_; }
  virtual void SetTextColor(COLORREF color);
  void SetFocus();

  // A notification code of WM_COMMAND sent by this control.
  virtual void OnCommand(WORD code) {}
  // WM_CTLCOLOR*: prepares dc and returns the background brush.
  virtual HBRUSH OnCtlColor(HDC dc);

 protected:
  // The window has just been made, with the kept text, state and font: the
  // control sets up the rest of what was set on it.
  virtual void OnCreated() {}
  // The text set while there was no window yet.
  const std::string& KeptText() const { return text_; }

  Form& form_;
  std::string name_;
  Kind kind_;
  COLORREF color_;

 private:
  friend class Form;
  void Attach(HWND handle);

  HWND handle_ = nullptr;
  // Until the window is made.
  std::string text_;
  bool enabled_;
  bool visible_;
};

}  // namespace ui
