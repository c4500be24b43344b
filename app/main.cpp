// The entry point: the program's role follows its own file name and first
// argument; one wizard form runs the message loop until it closes.
#include <windows.h>

#include <memory>

#include "app/role.h"
#include "app/switches.h"
#include "app/unattended.h"
#include "db/report.h"
#include "setup/SetupDlg.h"
#include "sys/files.h"
#include "sys/module_path.h"
#include "sys/path.h"
#include "ui/ui.h"
#include "uninstall/UninstDlg.h"

namespace {

// The engine's zlib messages: compression failures belong to the main window.
void ShowDbReport(const std::string& caption, const std::string& text, bool ownedByMainWindow) {
  ui::Form* main = ui::Application::MainForm();
  HWND owner = ownedByMainWindow && main ? main->Handle() : nullptr;
  ui::MsgBox(owner, text, caption, MB_OK);
}

template <class Wizard>
void RunWizard(Wizard*& global, const char* title) {
  Wizard wizard;
  global = &wizard;
  ui::Application::SetMainForm(&wizard);
  ui::Application::SetTitle(title);
  ui::Application::Run();
  ui::Application::SetMainForm(nullptr);
  global = nullptr;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  try {
    ui::Application::Initialize();
    ui::Application::SetTitle(ChangeFileExt(ExtractFileName(ModuleFileName()), ""));
    SetDbReporter(ShowDbReport);
    const std::string program = ModuleFileName();
    const std::string commandLine = GetCommandLineA();
    const std::string firstArgument = CommandLineArgument(commandLine, 1);
    const Role role = SelectRole(program, firstArgument);
    Switches switches = ParseSwitches(
        ArgumentsAfter(commandLine, RoleArgumentCount(program, firstArgument)), role);
    // Paths on the command line mean the folder it was typed in.
    for (std::optional<std::string>* path : {&switches.folder, &switches.log})
      if (*path && !(*path)->empty()) **path = FullPathName(**path);
    // The distribution is the folder setup.exe lies in, wherever it was
    // started from: setup works there.
    if (role == Role::Setup) SetCurrentDir(ExtractFilePath(program));
    if (switches.silent) return RunUnattended(role, switches);
    if (role == Role::Setup)
      RunWizard(SetupForm, "Corvaline Setup");
    else
      RunWizard(UninstWiz, "Corvaline Un-Install");
  } catch (const std::exception& e) {
    // Mostly a wizard that could not be built; one the user cancelled while
    // it was being built (EAbort) ends without a word.
    ui::Application::ShowException(e);
  }
  return 0;
}
