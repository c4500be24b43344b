// The wizard's side of the removal: the engine removes, the last page shows
// its log line by line, slowly enough to follow.
#include "sys/sleep.h"
#include "sys/sound.h"
#include "uninstall/UninstDlg.h"

namespace {

constexpr unsigned kStepPause = 300;  // lets the user follow the log

// For the length of the removal the wizard cannot be closed: quitting half
// way would leave the user not knowing what is gone. The system menu's Close
// shows it.
class RemovalScope {
 public:
  RemovalScope(bool& removing, HWND window) : removing_(removing), window_(window) {
    removing_ = true;
    EnableClose(false);
  }
  ~RemovalScope() {
    EnableClose(true);
    removing_ = false;
  }
  RemovalScope(const RemovalScope&) = delete;
  RemovalScope& operator=(const RemovalScope&) = delete;

 private:
  void EnableClose(bool on) {
    EnableMenuItem(GetSystemMenu(window_, FALSE), SC_CLOSE, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
  }
  bool& removing_;
  HWND window_;
};

}  // namespace

void TUninstWiz::RunRemoval() {
  RemovalScope removal(Removing, Handle());
  RichEdit2.Clear();
  BackBtn.SetEnabled(false);
  NextBtn.SetEnabled(false);
  CancelBtn.SetEnabled(false);
  ui::Application::ProcessMessages();
  const RemovalOutcome outcome = ::RunRemoval(Products, Choices(), [this](const std::string& line, bool stepEnd) {
    RichEdit2.AddLine(line);
    if (!stepEnd) return;
    ui::Application::ProcessMessages();
    SleepMs(kStepPause);
  });
  LastResult = outcome.complete ? ExitCode::Done : ExitCode::FailedSomethingLeft;
  Label4.SetText("");
  Label4.SetTextColor(ui::kBlue);
  ui::Application::ProcessMessages();
  Label4.SetText(outcome.complete ? "Un-Installation complete!" : "Un-Installation incomplete!");
  Label6.SetText("Thanks!");
  SoundBeep(0);
}
