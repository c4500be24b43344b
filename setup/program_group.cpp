// The Start-menu group: a folder of five shortcuts into the destination.
#include "common/constants.h"
#include "setup/SetupDlg.h"
#include "sys/ansi.h"
#include "sys/files.h"
#include "sys/known_folders.h"
#include "sys/path.h"
#include "sys/process.h"
#include "sys/registry.h"
#include "sys/shortcut.h"

namespace {

struct Shortcut {
  std::string target;  // file in the destination folder
  std::string link;    // file in the group folder
  std::string description;
};

std::string ProgramsFolder() {
  Registry registry;
  std::string folder;
  if (registry.OpenKey("Software\\MicroSoft\\Windows\\CurrentVersion\\Explorer", true))
    folder = registry.ReadSectionStringOrEmpty("Shell Folders", "Programs");
  // Without the value, ask the shell rather than guess a folder at the root
  // of the current drive.
  if (folder.empty()) folder = KnownFolderPath(KnownFolder::Programs);
  return AnsiLowerCase(folder);
}

}  // namespace

bool TSetupForm::CreateProgramGroup() {
  if (!GroupBox.Checked()) return true;
  const std::string programs = ProgramsFolder();
  if (programs.empty()) return true;
  const std::string group = programs + "\\" + ProductName;
  if (!DirectoryExists(group)) CreateDir(group);

  const std::string destination = AddBackslash(AppDIR.Text());
  const Shortcut shortcuts[] = {
      {"License.txt", "License.LNK", "License"},
      {ClientExeName, ProductName + ".LNK", ProductName},
      {UninstallerFile, "Uninstall " + ChangeFileExt(ClientExeFile, "") + ".LNK", "Uninstall " + ProductName},
      {"QuickStart.rtf", "QuickStart.LNK", "Quick Start"},
      {"ReadMe.txt", "ReadMe.LNK", "Read Me"},
  };
  for (const Shortcut& s : shortcuts) {
    std::string target = AnsiLowerCase(destination + s.target);
    CreateShortcut(target, group + "\\" + s.link, target, s.description, "");
  }
  if (!ExistingInstall && !Unattended) RunProgram("explorer.exe " + group, 5);
  return true;
}
