// The removal: program group, files and registry key of the client, then
// files, pool, folder and registry key of Mixmaster, with a progress log.
#include "common/constants.h"
#include "sys/files.h"
#include "sys/known_folders.h"
#include "sys/path.h"
#include "sys/registry.h"
#include "sys/sound.h"
#include "common/apps_entry.h"
#include "uninstall/UninstDlg.h"
#include "uninstall/folder_cleanup.h"
#include "uninstall/group_macro.h"
#include "common/protected_folders.h"

namespace {

constexpr DWORD kStepPause = 300;       // lets the user follow the log
constexpr size_t kLeftShown = 10;       // paths listed under a failed step
constexpr DWORD kGroupWaitMs = 2000;    // the shell deletes the group in its own time
constexpr DWORD kGroupPollMs = 50;
const char kLeftIndent[] = "      ";

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
    EnableMenuItem(GetSystemMenu(window_, FALSE), SC_CLOSE,
                   MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
  }
  bool& removing_;
  HWND window_;
};

// What a registry step left: the key, while it is still there.
Lines DeleteRegistryKey(const std::string& key) {
  Registry registry;
  registry.DeleteKey(key);
  if (!registry.KeyExists(key)) return Lines();
  return {"HKEY_CURRENT_USER\\" + key};
}

// Where the shell keeps the group; empty without a group or a Programs folder.
std::string GroupFolder(const std::string& group) {
  const std::string programs = KnownFolderPath(KnownFolder::Programs);
  return programs.empty() || group.empty() ? std::string() : AddBackslash(programs) + group;
}

// The group's folder if it is still there once the shell had its time: it
// acts on the command after the conversation has ended.
Lines GroupLeft(const std::string& folder) {
  const DWORD start = GetTickCount();
  while (!folder.empty() && DirectoryExists(folder)) {
    if (GetTickCount() - start >= kGroupWaitMs) return {folder};
    ui::Application::ProcessMessages();
    Sleep(kGroupPollMs);
  }
  return Lines();
}

}  // namespace

void TUninstWiz::Log(const std::string& line) {
  RichEdit2.AddLine(line);
  if (OnLog) OnLog(line);
}

void TUninstWiz::Pause() {
  if (!Unattended) Sleep(kStepPause);
}

void TUninstWiz::StepDone(const std::string& line) {
  Log(line);
  ui::Application::ProcessMessages();
  Pause();
}

void TUninstWiz::StepEnded(const std::string& step, const Lines& left) {
  Lines lines = {"   " + step + (left.empty() ? "...done" : "...failed")};
  for (size_t i = 0; i < left.size() && i < kLeftShown; ++i) lines.push_back(kLeftIndent + left[i]);
  if (left.size() > kLeftShown)
    lines.push_back(kLeftIndent + ("and " + std::to_string(left.size() - kLeftShown) + " more"));
  if (!left.empty()) Incomplete = true;
  for (size_t i = 0; i + 1 < lines.size(); ++i) Log(lines[i]);
  StepDone(lines.back());
}

void TUninstWiz::RunRemoval() {
  RemovalScope removal(Removing, Handle());
  Incomplete = false;
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
  Label4.SetText(Incomplete ? "Un-Installation incomplete!" : "Un-Installation complete!");
  Log("Done!");
  Label6.SetText("Thanks!");
  if (!Unattended) SoundBeep(0);
}

void TUninstWiz::RemoveApp() {
  if (!AppEntries.Checked()) return;
  Log("Removing " + ProductName + "...");
  Pause();
  RemoveProgramGroup();
  RemoveAppFiles();
  RemoveAppKey();
}

void TUninstWiz::RemoveMix() {
  if (!MixEntries.Checked()) return;
  Log("Removing Mixmaster...");
  Pause();
  RemoveMixFiles();
  RemoveMixKey();
}

bool TUninstWiz::RemoveProgramGroup() {
  const std::string macro = DeleteGroupMacro(ProgramGroup);
  if (macro.empty()) {
    StepDone("   program group...skipped");
    return true;
  }
  if (!DDEClient.SetLink("PROGMAN", "PROGMAN")) {
    ui::MsgBox(Handle(), "Unable to remove " + ProductName + " program group!", "Error", MB_OK);
    // Told in the box; the heading must not say all went.
    const std::string folder = GroupFolder(ProgramGroup);
    if (!folder.empty() && DirectoryExists(folder)) Incomplete = true;
    return false;
  }
  bool result = true;
  bool linkOpen = true;
  try {
    if (!DDEClient.ExecuteMacro(macro))
      ui::MsgBox(Handle(), "ExecuteMacroLines failed!\nUnable to create Program Group!",
                 "Program Error", MB_OK);
  } catch (const std::exception&) {
    ui::MsgBox(Handle(), "Exception caught at ExecuteMacro", "Exception", MB_OK);
    DDEClient.CloseLink();
    linkOpen = false;
    result = false;
  }
  if (linkOpen) DDEClient.CloseLink();
  StepEnded("program group", GroupLeft(GroupFolder(ProgramGroup)));
  return result;
}

// A files step: the folder operation, unless the folder is one that no step
// may empty.
void TUninstWiz::FilesStep(const std::string& folder, Lines (*remove)(const std::string&)) {
  if (IsProtectedFolder(folder)) {
    StepDone("   program files...skipped (protected folder)");
    return;
  }
  StepEnded("program files", remove(folder));
}

void TUninstWiz::RemoveAppFiles() { FilesStep(AppDir, RemoveClientFiles); }

void TUninstWiz::RemoveMixFiles() { FilesStep(MixDir, RemoveMixmasterFiles); }

// The client's key goes with its entry in Settings > Apps.
void TUninstWiz::RemoveAppKey() {
  Lines left = DeleteRegistryKey(ProductRegistryKey);
  for (const std::string& key : DeleteRegistryKey(AppsEntryKey())) left.push_back(key);
  StepEnded("registry key", left);
}

void TUninstWiz::RemoveMixKey() { StepEnded("registry key", DeleteRegistryKey(MixRegistryKey)); }
