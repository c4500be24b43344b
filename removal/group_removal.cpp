#include "removal/group_removal.h"

#include "common/database_files.h"
#include "common/program_group.h"
#include "common/protected_folders.h"
#include "removal/group_macro.h"
#include "sys/dde_client.h"
#include "sys/exception.h"
#include "sys/extended_path.h"
#include "sys/files.h"
#include "sys/message_pump.h"
#include "sys/path.h"
#include "sys/sleep.h"

namespace {

constexpr unsigned kShellWaitMs = 2000;  // the shell deletes the group in its own time
constexpr unsigned kPollMs = 50;

bool IsOurLink(const NamedEntry& entry) {
  if (entry.attributes & kDirectoryAttr) return false;
  for (const GroupLink& link : GroupLinks())
    if (NameAsTheSystemReadsIt(entry.name) == NameAsTheSystemReadsIt(link.link)) return true;
  return false;
}

// dir: "\\?\" form ending in "\". Deletes our shortcuts by their exact names;
// what is left of them.
Lines DeleteOurLinks(const std::string& dir) {
  for (const NamedEntry& entry : ListFolderAsNamed(dir))
    if (IsOurLink(entry)) RemoveFile(dir + entry.name);
  Lines left;
  bool complete = false;
  for (const NamedEntry& entry : ListFolderAsNamed(dir, &complete))
    if (IsOurLink(entry)) left.push_back(UsualPath(dir + entry.name));
  if (!complete && DirectoryExists(dir)) left.push_back(UsualPath(StripBackslash(dir)));
  return left;
}

bool HoldsOthers(const std::string& dir) {
  for (const NamedEntry& entry : ListFolderAsNamed(dir))
    if (!IsOurLink(entry)) return true;
  return false;
}

// Asks Program Manager to delete the group; true once the folder is gone.
// The name comes from the client's key, in the code page, which is what the
// shell's Program Manager takes (Wine's passes the command through the code
// page and leaves a group of other letters where it is).
bool ShellDeletes(const std::string& macro, const std::string& folder) {
  DdeClient shell;
  if (!shell.SetLink("PROGMAN", "PROGMAN")) return false;
  bool sent = false;
  try {
    sent = shell.ExecuteMacro(macro);
  } catch (const EDdeError&) {
  }
  shell.CloseLink();
  // It acts on the command after the conversation has ended.
  for (unsigned waited = 0; sent && DirectoryExists(folder) && waited < kShellWaitMs; waited += kPollMs) {
    ProcessMessages();
    SleepMs(kPollMs);
  }
  return !DirectoryExists(folder);
}

}  // namespace

const char* GroupVerdictText(GroupVerdict verdict) {
  switch (verdict) {
    case GroupVerdict::Done: return "done";
    case GroupVerdict::Skipped: return "skipped";
    case GroupVerdict::Kept: return "kept (it holds other items)";
    case GroupVerdict::Failed: break;
  }
  return "failed";
}

GroupRemoval RemoveProgramGroup(const std::string& name) {
  GroupRemoval result;
  const std::string macro = DeleteGroupMacro(name);
  const std::string folder = GroupFolderOf(name);
  if (macro.empty() || folder.empty() || IsProtectedFolder(folder)) {
    result.verdict = GroupVerdict::Skipped;
    return result;
  }
  if (!DirectoryExists(folder)) return result;
  const std::string dir = ExtendedFolderPath(folder);
  if (HoldsOthers(dir)) {
    result.left = DeleteOurLinks(dir);
    result.verdict = result.left.empty() ? GroupVerdict::Kept : GroupVerdict::Failed;
    return result;
  }
  if (ShellDeletes(macro, folder)) return result;
  // No shell to ask (no desktop, or an unattended run): the folder holds our
  // shortcuts only, and goes by hand.
  result.left = DeleteOurLinks(dir);
  RemoveDir(StripBackslash(dir));
  if (result.left.empty() && DirectoryExists(folder)) result.left.push_back(folder);
  if (!result.left.empty()) result.verdict = GroupVerdict::Failed;
  return result;
}
