// The Start-menu group: a folder of five shortcuts into the destination.
#include "common/constants.h"
#include "common/program_group.h"
#include "install/installer.h"
#include "sys/ansi.h"
#include "sys/files.h"
#include "sys/handle.h"
#include "sys/path.h"
#include "sys/shortcut.h"

// The user's Programs folder comes from the shell itself: its copy in the
// registry ("Shell Folders") is kept for old programs and rewritten at will.
StepResult Installer::CreateProgramGroup() {
  if (!plan_.group) return StepResult::Skipped;
  const std::string group = GroupFolderOf(ProductName);
  if (group.empty() || !MakeFolder(group))
    return Fail("Setup Error", "Unable to create the program group\n" + (group.empty() ? ProductName : group));
  const std::string destination = AddBackslash(plan_.folder);
  // The shell's link object stays loaded for all five, not once for each.
  ComScope com;
  for (const GroupLink& link : GroupLinks()) {
    const std::string target = AnsiLowerCase(destination + link.target);
    const std::string file = AddBackslash(group) + link.link;
    if (!PrepareTarget(file) || CreateShortcut(target, file, target, link.description, "") != 0 ||
        !FileExists(file))
      return Fail("Setup Error", "Unable to create the shortcut\n" + file);
  }
  groupFolder_ = group;
  return StepResult::Done;
}
