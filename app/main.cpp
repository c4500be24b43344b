// The entry point: the program's role follows its own file name and first
// argument; /S runs the engine alone, otherwise one wizard form runs the
// message loop until it closes. The exit code says how it ended.
#include <windows.h>

#include "app/role.h"
#include "app/switches.h"
#include "app/unattended.h"
#include "common/install_journal.h"
#include "common/one_at_a_time.h"
#include "common/product.h"
#include "db/report.h"
#include "install/distribution.h"
#include "removal/self_removal.h"
#include "setup/SetupDlg.h"
#include "sys/account.h"
#include "sys/files.h"
#include "sys/module_path.h"
#include "sys/path.h"
#include "sys/process.h"
#include "sys/utf8_case.h"
#include "ui/ui.h"
#include "uninstall/UninstDlg.h"

namespace {

// The engine's zlib messages: compression failures belong to the main window.
void ShowDbReport(const std::string& caption, const std::string& text, bool ownedByMainWindow) {
  ui::Form* main = ui::Application::MainForm();
  HWND owner = ownedByMainWindow && main ? main->Handle() : nullptr;
  ui::MsgBox(owner, text, caption, ui::BoxKind::Error);
}

// after(wizard) runs once the wizard has closed.
template <class Wizard, class After>
ExitCode RunWizard(Wizard*& global, const char* title, After after) {
  Wizard wizard;
  global = &wizard;
  ui::Application::SetMainForm(&wizard);
  ui::Application::SetTitle(title);
  ui::Application::Run();
  ui::Application::SetMainForm(nullptr);
  global = nullptr;
  after(wizard);
  return wizard.Result();
}

// A journal a stopped run left is finished before anything else; the user
// hears of it only when it was not simply rolled back. False when it could
// not be finished, and then nothing may change.
bool Recover() {
  const Recovery recovery = RecoverInterruptedInstall(InstallJournalPath());
  if (recovery.outcome == Recovery::Outcome::RolledBack) return true;
  const Lines report = RecoveryReport(recovery);
  if (!report.empty())
    ui::MsgBox(nullptr, LinesToText(report), ProductName,
               recovery.Unfinished() ? ui::BoxKind::Error : ui::BoxKind::Warning);
  return !recovery.Unfinished();
}

ExitCode RunWizards(Role role, const std::string& program) {
  ui::Application::Initialize();
  ui::Application::SetTitle(ChangeFileExt(ExtractFileName(program), ""));
  SetDbReporter(ShowDbReport);
  SetupMutex mutex;
  if (!mutex.Held()) {
    ui::MsgBox(nullptr, kAnotherSetupRunningText, ProductName, ui::BoxKind::Error);
    return ExitCode::AnotherSetupRunning;
  }
  if (!Recover()) return ExitCode::FailedSomethingLeft;
  if (role == Role::Setup) return RunWizard(SetupForm, "Corvaline Setup", [](TSetupForm&) {});
  return RunWizard(UninstWiz, "Corvaline Un-Install", [](TUninstWiz&) {});
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const std::string program = ModuleFileName();
  const std::string commandLine = ProgramCommandLine();
  const std::string firstArgument = CommandLineArgument(commandLine, 1);
  // The copy that removes the uninstaller once it has ended.
  if (Utf8UpperCase(firstArgument).rfind(kSelfRemovalSwitch, 0) == 0) {
    FinishSelfRemoval(firstArgument.substr(std::string(kSelfRemovalSwitch).size()),
                      CommandLineArgument(commandLine, 2));
    return 0;
  }
  // A one-file setup.exe, whatever it was named: its directory is checked before anything else.
  const CarriedFiles carried = FilesCarriedBy(program);
  const bool carries = carried != CarriedFiles::None;
  const Role role = SelectRole(program, firstArgument, carries);
  if (role == Role::Uninstall) ReleaseCarriedFiles();
  Switches switches =
      ParseSwitches(ArgumentsAfter(commandLine, RoleArgumentCount(program, firstArgument, carries)), role);
  // Paths on the command line mean the folder it was typed in.
  for (std::optional<std::string>* path : {&switches.folder, &switches.log})
    if (*path && !(*path)->empty()) **path = FullPathName(**path);
  // The distribution is the folder setup.exe lies in, wherever it was
  // started from: setup works there.
  if (role == Role::Setup) SetCurrentDir(ExtractFilePath(program));
  const bool damaged = role == Role::Setup && carried == CarriedFiles::Damaged;
  if (switches.silent) return static_cast<int>(RunUnattended(role, switches, damaged));
  if (damaged) {
    ui::MsgBox(nullptr, kDamagedSetupText, ProductName, ui::BoxKind::Error);
    return static_cast<int>(ExitCode::DistributionDamaged);
  }
  // As LocalSystem everything would go into a profile no user sees: the
  // wizard refuses with the words of the unattended run's log.
  if (RunsAsLocalSystem()) {
    ui::MsgBox(nullptr, kLocalSystemText, ProductName, ui::BoxKind::Error);
    return static_cast<int>(ExitCode::DestinationRefused);
  }
  ExitCode code = ExitCode::FailedNothingLeft;
  try {
    code = RunWizards(role, program);
  } catch (const EAbort&) {
    code = ExitCode::Cancelled;  // the user cancelled while the wizard was being built
  } catch (const std::exception& e) {
    // Mostly a wizard that could not be built: nothing has changed.
    ui::Application::ShowException(e);
  }
  return static_cast<int>(code);
}
