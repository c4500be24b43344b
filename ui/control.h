// Base of every control: a standard Win32 control window owned by its form.
// The window is destroyed with the form; the object only keeps its handle.
#pragma once
#include <windows.h>

#include <string>

#include "ui/layout.h"

namespace ui {

class Form;

class Control {
 public:
  Control(Form& form, const ControlSpec& row, HWND handle);
  virtual ~Control() = default;
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  HWND Handle() const { return handle_; }
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
  Form& form_;
  HWND handle_;
  std::string name_;
  Kind kind_;
  COLORREF color_;
};

}  // namespace ui
