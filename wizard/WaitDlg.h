// The wait dialog: a last chance to stop before the real work starts. It
// blinks the caller's text for about four seconds and offers Cancel.
#pragma once
#include <string>

#include "ui/ui.h"

class TWaitForm : public ui::Form {
 public:
  explicit TWaitForm(ui::Form& owner);

  void Timer1Timer();
  void FormCloseQuery(bool& canClose);

  void SetWaitText(const std::string& text) { WaitText = text; }
  int Ticks() const { return TickCount; }

  ui::Panel& Panel1;
  ui::Button& CancelBtn;
  ui::Timer Timer1;

 private:
  int TickCount = 0;
  std::string WaitText;
};

// Shows the wait dialog over owner; true when the countdown ran out, false
// when the user cancelled and confirmed.
bool RunWaitDialog(const std::string& caption, const std::string& text, ui::Form& owner);
