#include "common/product.h"
#include "wizard/WaitDlg.h"
#include "sys/controls.h"

using namespace ui;

namespace {

const FormSpec kWaitFormSpec = {"Installing", 257, 107, {"MS Sans Serif", -11, kInherit},
                                Border::Dialog, false, false, false};

const ControlSpec kWaitControls[] = {
    {Kind::Panel, "Panel1", "", 8, 8, 241, 57, "...wait...", {"MS Sans Serif", -13, kBlue}, kLowered},
    // Escape is Cancel, with its question, once Cancel is there.
    {Kind::Button, "CancelBtn", "", 91, 74, 75, 25, "&Cancel", {}, kDisabled | kCancel | kModalCancel},
};

constexpr UINT kFirstTick = 1000;
constexpr UINT kBlinkTick = 500;
constexpr int kBlinks = 6;

}  // namespace

TWaitForm::TWaitForm(Form& owner)
    : Form(kWaitFormSpec, kWaitControls, CountOf(kWaitControls), &owner),
      Panel1(Get<Panel>("Panel1")),
      CancelBtn(Get<Button>("CancelBtn")),
      Timer1(*this, kFirstTick, false) {
  onCloseQuery = [this](bool& canClose) { FormCloseQuery(canClose); };
  Timer1.onTimer = [this] { Timer1Timer(); };
  WaitText.clear();
  Timer1.SetEnabled(true);
  TickCount = 0;
}

// Tag 0: the first tick shows the text and makes Cancel available. Tag 1: the
// text blinks; the sixth blink ends the dialog with OK.
void TWaitForm::Timer1Timer() {
  if (Timer1.Tag == 0) {
    Timer1.SetEnabled(false);
    CancelBtn.SetEnabled(true);
    Panel1.SetText(WaitText);
    Timer1.SetInterval(kBlinkTick);
    Timer1.Tag = 1;
    Timer1.SetEnabled(true);
  } else if (Timer1.Tag == 1) {
    Panel1.SetText(Panel1.Text().empty() ? WaitText : std::string());
    ++TickCount;
    if (!Timer1.Enabled()) Timer1.SetEnabled(true);
  }
  if (TickCount >= kBlinks) SetModalResult(mrOk);
}

void TWaitForm::FormCloseQuery(bool& canClose) {
  // No tick may close the dialog underneath the question.
  Timer1.SetEnabled(false);
  if (ModalResult() != mrCancel) return;
  if (MsgBox(Handle(), "Cancel process?", ProductName, BoxKind::Question, MB_YESNO) == IDNO) {
    Timer1.SetEnabled(true);
    canClose = false;
  }
}

bool RunWaitDialog(const std::string& caption, const std::string& text, Form& owner) {
  TWaitForm dialog(owner);
  dialog.SetCaption(caption);
  dialog.SetWaitText(text);
  CenterOver(dialog.Handle(), owner.Handle());
  return dialog.ShowModal() == mrOk;
}
