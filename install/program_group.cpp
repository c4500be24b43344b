// The Start-menu group: a folder of five shortcuts into the destination.
#include "common/constants.h"
#include "common/program_group.h"
#include "install/client_folder.h"
#include "install/installer.h"
#include "sys/files.h"
#include "sys/handle.h"
#include "sys/path.h"
#include "sys/shortcut.h"
#include "sys/utf8_case.h"

// The user's Programs folder comes from the shell itself: its copy in the
// registry ("Shell Folders") is kept for old programs and rewritten at will.
StepResult Installer::CreateProgramGroup() {
  if (!plan_.group) return StepResult::Skipped;
  const std::string group = GroupFolderOf(ProductName);
  if (group.empty() || !MakeFolder(group))
    return Fail("Setup Error", "Unable to create the program group\n" + (group.empty() ? ProductName : group));
  // The shortcuts start the client in the folder as it reads it, so that its
  // own path and current folder come to it whole.
  std::string folder;
  if (!ClientFolderOf(plan_.folder, &folder)) folder = plan_.folder;
  const std::string destination = AddBackslash(folder);
  // The shell's link object stays loaded for all five, not once for each.
  ComScope com;
  for (const GroupLink& link : GroupLinks()) {
    const std::string target = Utf8LowerCase(destination + link.target);
    const std::string file = AddBackslash(group) + link.link;
    if (!PrepareTarget(file) || CreateShortcut(target, file, target, link.description, "") != 0 ||
        !FileExists(file))
      return Fail("Setup Error", "Unable to create the shortcut\n" + file);
  }
  groupFolder_ = group;
  return StepResult::Done;
}
