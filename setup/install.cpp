// The install steps: wait dialog, files, registry, templates, program group.
#include "common/constants.h"
#include "common/database_files.h"
#include "setup/SetupDlg.h"
#include "common/apps_entry.h"
#include "wizard/WaitDlg.h"
#include "wizard/busy_cursor.h"
#include "common/normalized_folder.h"
#include "sys/ansi.h"
#include "sys/error_text.h"
#include "sys/file_access.h"
#include "sys/files.h"
#include "sys/path.h"
#include "sys/registry.h"

namespace {

const char kFolderCreationText[] =
    "Unable to create the destination folder.\n"
    "Please review your entry for errors or\n"
    "illegal characters.";

const char kRegistryErrorText[] = "Unable to write to Win95 registry!\n\nEntries NOT saved!";

}  // namespace

bool TSetupForm::RunInstall() {
  BusyCursor busy(*this);
  ChangesStarted = false;
  if (!CheckDistribution()) return false;
  // Unattended, no one is there to see the last chance to stop.
  if (!Unattended &&
      !RunWaitDialog(ProductName, "...installing " + AnsiLowerCase(ProductName) + "...", *this))
    return false;
  MakeDestinationAbsolute();
  // Nothing is changed before the destination is known to be the user's to
  // write and no running client holds its files.
  if (!CheckDestinationRights() || !WaitForClientToClose()) return false;
  struct Step {
    const char* name;
    bool (TSetupForm::*run)();
  };
  static const Step steps[] = {{"program files", &TSetupForm::CopyProgramFiles},
                               {"registry settings", &TSetupForm::SaveRegistrySettings},
                               {"default templates", &TSetupForm::StoreDefaultTemplates},
                               {"program group", &TSetupForm::CreateProgramGroup}};
  ChangesStarted = true;
  for (const Step& step : steps) {
    const bool done = (this->*step.run)();
    Log(std::string("   ") + step.name + (done ? "...done" : "...failed"));
    if (!done) return false;
  }
  // The entry was written with the registry settings, so that an install
  // that fails later can still be removed; the templates have grown the
  // database since.
  UpdateAppsEntrySize(AppDIR.Text());
  return true;
}

void TSetupForm::Log(const std::string& line) {
  if (OnLog) OnLog(line);
}

// A relative destination would be recorded as it stands and read later against
// whatever folder the uninstaller runs in: install into its full path instead.
void TSetupForm::MakeDestinationAbsolute() {
  const std::string folder = AppDIR.Text();
  if (folder.empty() || IsAbsolutePath(folder)) return;
  const std::string full = FullPathName(folder);
  if (!full.empty()) AppDIR.SetText(full);
}

bool TSetupForm::CopyProgramFiles() {
  const std::string target = AppDIR.Text();
  if (SameFolder(target, SourceDir)) return true;  // installing into the distribution itself
  std::string folder = StripBackslash(target);
  if (!DirectoryExists(folder) && folder.size() >= 3) ForceDirectories(folder);
  if (!DirectoryExists(folder)) {
    ui::MsgBox(Handle(), kFolderCreationText, ProductName + "Folder Creation Error", MB_OK);
    return false;
  }
  const std::string destination = AddBackslash(target);
  Lines entries;
  ListFiles(&entries, AddBackslash(SourceDir) + "*.*", kAnyFileAttr);
  for (const std::string& entry : entries) {
    if (DirectoryExists(entry)) continue;
    std::string name = ExtractFileName(entry);
    if (AnsiLowerCase(name) == "setup.exe") name = UninstallerFile;
    // The user's database is never overwritten by a file of the distribution.
    if (IsUserDatabaseFile(name) && FileExists(destination + name)) continue;
    if (!CopyOneFile(entry, destination + name, false)) return false;
  }
  const std::string encrypted = ChangeFileExt(DatabaseName, EncryptedExt);
  if (FileExists(destination + TemplateName) && !FileExists(destination + DatabaseName) &&
      !FileExists(destination + encrypted))
    return CopyOneFile(destination + TemplateName, destination + DatabaseName, false);
  return true;
}

// Installed files never keep a read-only attribute (a distribution on a CD
// has it on every file): a later install must be able to replace them.
bool TSetupForm::CopyOneFile(const std::string& source, const std::string& target,
                             bool failIfExists) {
  if (!failIfExists) ClearReadOnly(target);
  if (::CopyOneFile(source, target, failIfExists)) {
    ClearReadOnly(target);
    return true;
  }
  std::string reason = LastErrorText();
  // Name the file that failed: mostly the target, which could not be written.
  const std::string failed = CanReadFile(source) ? target : source;
  ui::MsgBox(Handle(), "System Error: " + reason + "File: " + failed, "Copy Failed", MB_OK);
  return false;
}

bool TSetupForm::SaveRegistrySettings() {
  Registry registry;
  // A key that cannot be opened or created is a failure like any other write.
  bool ok = registry.OpenKey(ProductRegistryKey, true);
  ok = ok && registry.WriteString("AppDir", StripBackslash(AppDIR.Text()));
  ok = ok && registry.WriteString("Version", VersionText);
  if (GroupBox.Checked()) ok = ok && registry.WriteString("Program Group", ProductName);
  if (!ExistingInstall) {
    ok = ok && registry.WriteInteger("WindowState", 0);
    ok = ok && registry.WriteString("WindowPos", "-1,-1,565,350");
  }
  ok = ok && registry.WriteInteger("Update", 1);
  registry.CloseKey();
  ok = ok && WriteAppsEntry(StripBackslash(AppDIR.Text()), VersionText);
  if (!ok) ui::MsgBox(Handle(), kRegistryErrorText, "Registry Error", MB_OK);
  return ok;
}
