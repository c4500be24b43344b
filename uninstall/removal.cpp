// The removal: program group, files and registry key of the client, then
// files, pool, folder and registry key of Mixmaster, with a progress log.
#include "app/constants.h"
#include "sys/registry.h"
#include "sys/sound.h"
#include "uninstall/UninstDlg.h"
#include "uninstall/folder_cleanup.h"
#include "uninstall/protected_folders.h"

namespace {
constexpr DWORD kStepPause = 300;  // lets the user follow the log
}  // namespace

void TUninstWiz::StepDone(const std::string& line) {
  RichEdit2.AddLine(line);
  ui::Application::ProcessMessages();
  Sleep(kStepPause);
}

void TUninstWiz::RunRemoval() {
  RichEdit2.Clear();
  BackBtn.SetEnabled(false);
  NextBtn.SetEnabled(false);
  CancelBtn.SetEnabled(false);
  ui::Application::ProcessMessages();
  RemoveApp();
  RemoveMix();
  Label4.SetText("");
  Label4.SetTextColor(ui::kBlue);
  ui::Application::ProcessMessages();
  Label4.SetText("Un-Installation complete!");
  RichEdit2.AddLine("Done!");
  Label6.SetText("Thanks!");
  SoundBeep(0);
}

void TUninstWiz::RemoveApp() {
  if (!AppEntries.Checked()) return;
  RichEdit2.AddLine("Removing " + ProductName + "...");
  Sleep(kStepPause);
  RemoveProgramGroup();
  RemoveAppFiles();
  RemoveAppKey();
}

void TUninstWiz::RemoveMix() {
  if (!MixEntries.Checked()) return;
  RichEdit2.AddLine("Removing Mixmaster...");
  Sleep(kStepPause);
  RemoveMixFiles();
  RemoveMixKey();
}

bool TUninstWiz::RemoveProgramGroup() {
  if (!DDEClient.SetLink("PROGMAN", "PROGMAN")) {
    ui::MsgBox(Handle(), "Unable to remove " + ProductName + " program group!", "Error", MB_OK);
    return false;
  }
  bool result = true;
  bool linkOpen = true;
  try {
    if (!DDEClient.ExecuteMacro("[DeleteGroup(" + ProgramGroup + ")]"))
      ui::MsgBox(Handle(), "ExecuteMacroLines failed!\nUnable to create Program Group!",
                 "Program Error", MB_OK);
  } catch (const std::exception&) {
    ui::MsgBox(Handle(), "Exception caught at ExecuteMacro", "Exception", MB_OK);
    DDEClient.CloseLink();
    linkOpen = false;
    result = false;
  }
  if (linkOpen) DDEClient.CloseLink();
  StepDone("   program group...done");
  return result;
}

// A files step: the folder operation, unless the folder is one that no step
// may empty.
void TUninstWiz::FilesStep(const std::string& folder, bool (*remove)(const std::string&)) {
  if (IsProtectedFolder(folder)) {
    StepDone("   program files...skipped (protected folder)");
    return;
  }
  remove(folder);
  StepDone("   program files...done");
}

void TUninstWiz::RemoveAppFiles() { FilesStep(AppDir, RemoveClientFiles); }

void TUninstWiz::RemoveMixFiles() { FilesStep(MixDir, RemoveMixmasterFiles); }

void TUninstWiz::RemoveAppKey() {
  Registry registry;
  registry.DeleteKey(ProductRegistryKey);
  StepDone("   registry key...done");
}

void TUninstWiz::RemoveMixKey() {
  Registry registry;
  registry.DeleteKey(MixRegistryKey);
  StepDone("   registry key...done");
}
