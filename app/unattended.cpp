#include "app/unattended.h"

#include <memory>

#include "setup/SetupDlg.h"
#include "sys/exception.h"
#include "sys/files.h"
#include "sys/text.h"
#include "ui/ui.h"
#include "uninstall/UninstDlg.h"

namespace {

// Appends lines to the file of /LOG=, if one was given.
class RunLog {
 public:
  explicit RunLog(const std::optional<std::string>& path) : path_(path.value_or("")) {}
  // Each line reaches the file at once, so a run that is stopped leaves its log.
  void Line(const std::string& line) {
    if (!path_.empty()) AppendToFile(path_, line + "\r\n");
  }

 private:
  std::string path_;
};

// A message box's text on one line.
std::string OneLine(const std::string& text) {
  std::string line;
  for (char c : text) {
    const bool lineBreak = c == '\r' || c == '\n';
    if (!lineBreak) line += c;
    else if (!line.empty() && line.back() != ' ') line += ' ';
  }
  return TrimRight(line);
}

int AnswerThatChangesNothing(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
    case MB_RETRYCANCEL:
    case MB_YESNOCANCEL:
      return IDCANCEL;
    case MB_YESNO:
      return IDNO;
    default:
      return IDOK;
  }
}

// For as long as it lives, every message box is a log line instead.
class BoxesToLog {
 public:
  explicit BoxesToLog(RunLog& log) {
    ui::SetMsgBoxHook([&log](const ui::MsgBoxRequest& box) {
      log.Line(box.caption + ": " + OneLine(box.text));
      return AnswerThatChangesNothing(box.type);
    });
  }
  ~BoxesToLog() { ui::SetMsgBoxHook(nullptr); }
  BoxesToLog(const BoxesToLog&) = delete;
  BoxesToLog& operator=(const BoxesToLog&) = delete;
};

// An error the toolkit would have shown in its standard display.
void LogError(RunLog& log, const std::exception& error) {
  if (!dynamic_cast<const EAbort*>(&error)) log.Line(error.what());
}

// The wizard, never shown; none when it could not be built (the reason is
// logged, unless the user's cancel was the reason).
template <class Wizard>
std::unique_ptr<Wizard> Build(RunLog& log) {
  try {
    return std::make_unique<Wizard>();
  } catch (const std::exception& e) {
    LogError(log, e);
    return nullptr;
  }
}

// The switches take the place of what the user would type; what they leave
// out stays as the wizard found it (the earlier installation, else its default).
int Install(const Switches& switches, RunLog& log) {
  std::unique_ptr<TSetupForm> form = Build<TSetupForm>(log);
  if (!form) return kExitRefused;
  if (switches.folder) form->AppDIR.SetText(*switches.folder);
  if (switches.address) form->EAddr.SetText(*switches.address);
  if (switches.host) form->Host.SetText(*switches.host);
  if (switches.noGroup) form->GroupBox.SetChecked(false);
  for (const std::string& line : form->Summary()) log.Line(line);
  const struct {
    bool missing;
    const char* text;
  } needed[] = {{form->AppDIR.Text().empty(), "No folder to install into: give one with /D=."},
                {form->EAddr.Text().empty(), "No e-mail address: give one with /ADDRESS=."},
                {form->Host.Text().empty(), "No outgoing mail host: give one with /HOST=."}};
  bool refused = false;
  for (const auto& n : needed) {
    if (n.missing) log.Line(n.text);
    refused = refused || n.missing;
  }
  if (refused) return kExitRefused;

  form->Unattended = true;
  form->OnLog = [&log](const std::string& line) { log.Line(line); };
  bool done = false;
  try {
    done = form->RunInstall();
  } catch (const std::exception& e) {
    LogError(log, e);
  }
  if (done) log.Line("Installation complete!");
  return done ? kExitDone : form->InstallChangedSomething() ? kExitFailedPartWay : kExitRefused;
}

// Removes what the wizard checks when it opens, with all its rules.
int Remove(RunLog& log) {
  std::unique_ptr<TUninstWiz> wizard = Build<TUninstWiz>(log);
  if (!wizard) return kExitRefused;
  // With nothing installed the boxes keep the state they were made with;
  // the wizard's Next stays disabled then.
  const bool installed = wizard->IsAppInstalled() || wizard->IsMixInstalled();
  if (!installed || (!wizard->AppEntries.Checked() && !wizard->MixEntries.Checked())) {
    // Nothing installed, or only a client its user keeps.
    const Lines said = installed ? Lines{"Nothing to un-install!"} : wizard->RichEdit7.GetLines();
    for (const std::string& line : said) log.Line(line);
    return kExitRefused;
  }
  wizard->FillReview();
  for (const std::string& line : wizard->Memo1.GetLines()) log.Line(line);
  wizard->Unattended = true;
  wizard->OnLog = [&log](const std::string& line) { log.Line(line); };
  try {
    wizard->RunRemoval();
  } catch (const std::exception& e) {
    LogError(log, e);
    return kExitFailedPartWay;
  }
  log.Line(wizard->Label4.Text());
  return wizard->LeftSomething() ? kExitFailedPartWay : kExitDone;
}

}  // namespace

int RunUnattended(Role role, const Switches& switches) {
  RunLog log(switches.log);
  BoxesToLog quiet(log);
  int code = kExitRefused;
  for (const std::string& unknown : switches.unknown) log.Line("Unknown switch: " + unknown);
  if (switches.unknown.empty()) code = role == Role::Setup ? Install(switches, log) : Remove(log);
  log.Line("Exit code: " + std::to_string(code));
  return code;
}
