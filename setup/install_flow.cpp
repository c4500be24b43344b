// The wizard's side of an install: it hands the pages' choices to the
// engine, puts the engine's questions to the user, shows the wait dialog and
// tells the user how it ended.
#include "common/constants.h"
#include "common/left_report.h"
#include "install/exit_code.h"
#include "install/earlier_installation.h"
#include "setup/SetupDlg.h"
#include "sys/files.h"
#include "sys/module_path.h"
#include "sys/process.h"
#include "sys/text.h"
#include "sys/utf8_case.h"
#include "wizard/WaitDlg.h"
#include "wizard/busy_cursor.h"
#include "wizard/client_question.h"

InstallChoices TSetupForm::Choices() const {
  InstallChoices choices;
  choices.program = ModuleFileName();
  choices.source = SourceDir;
  choices.folder = AppDIR.Text();
  choices.address = EAddr.Text();
  choices.host = Host.Text();
  choices.group = GroupBox.Checked();
  return choices;
}

bool TSetupForm::Declined() {
  LastResult = ExitCode::Cancelled;
  return false;
}

bool TSetupForm::PlanAccepted(InstallChoices& choices, InstallPlan& plan) {
  for (;;) {
    plan = PlanInstall(choices);
    // The summary shows the folder as it will be made, full path and all.
    if (plan.problem != PlanProblem::BadName && plan.folder != AppDIR.Text()) {
      AppDIR.SetText(plan.folder);
      choices.folder = plan.folder;
      FillSummary();
    }
    LastResult = ExitCodeFor(plan.problem);
    switch (plan.problem) {
      case PlanProblem::None:
        return true;
      case PlanProblem::ClientRunning:
        if (!AskUntilClientCloses(Handle(), {ClientDatabaseIn(plan.folder), ClientProgramIn(plan.folder)}))
          return Declined();
        break;
      case PlanProblem::NoRights:
        // Without a folder of the user's own there is nothing to ask.
        if (plan.ownFolder.empty()) {
          ui::MsgBox(Handle(), plan.message, plan.caption, MB_OK);
          ReturnToStart();
          return false;
        }
        if (ui::MsgBox(Handle(), plan.message, plan.caption, MB_YESNO) != IDYES) {
          ReturnToStart();
          return Declined();
        }
        choices.folder = plan.ownFolder;
        break;
      case PlanProblem::OtherFiles:
        if (ui::MsgBox(Handle(), plan.message, plan.caption, MB_YESNO | MB_DEFBUTTON2) != IDYES) {
          ReturnToStart();
          return Declined();
        }
        choices.otherFilesAccepted = true;
        break;
      case PlanProblem::Unstorable:
        // The user's typing to mend, not a bad command line: a quit from here is a cancel.
        ui::MsgBox(Handle(), plan.message, plan.caption, MB_OK);
        ReturnToAddress();
        return Declined();
      case PlanProblem::NewerInstalled:
        if (ui::MsgBox(Handle(), plan.message, plan.caption, MB_YESNO | MB_DEFBUTTON2) != IDYES)
          return Declined();
        choices.downgradeAccepted = true;
        break;
      default:
        ui::MsgBox(Handle(), plan.message, plan.caption, MB_OK);
        ReturnToStart();
        return false;
    }
  }
}

bool TSetupForm::RunInstall() {
  BusyCursor busy(*this);
  LastResult = ExitCode::Cancelled;
  InstallChoices choices = Choices();
  InstallPlan plan;
  if (!PlanAccepted(choices, plan)) return false;
  if (!RunWaitDialog(ProductName, "...installing " + Utf8LowerCase(ProductName) + "...", *this)) {
    LastResult = ExitCode::Cancelled;
    return false;
  }
  // Things may have changed during the wait: the client started, say.
  if (!PlanAccepted(choices, plan)) return false;
  const InstallOutcome outcome = ::RunInstall(plan, nullptr);
  LastResult = ExitCodeFor(outcome);
  if (outcome.result == InstallResult::Done) {
    if (!plan.existing && !outcome.groupFolder.empty()) OpenFolderWindow(outcome.groupFolder);
    return true;
  }
  std::string text = outcome.message + "\n\n" + kInstallFailedText;
  if (outcome.result == InstallResult::Left)
    text = outcome.message + "\n\nInstallation failed. Setup could not take back everything it changed:\n" +
           LinesToText(LeftReport(outcome.left));
  ui::MsgBox(Handle(), text, outcome.caption, MB_OK);
  return false;
}
