#include "removal/group_removal.h"

#include "common/program_group.h"
#include "common/protected_folders.h"
#include "removal/group_macro.h"
#include "sys/dde_client.h"
#include "sys/exception.h"
#include "sys/extended_path.h"
#include "sys/file_identity.h"
#include "sys/files.h"
#include "sys/message_pump.h"
#include "sys/path.h"
#include "sys/shortcut.h"
#include "sys/sleep.h"
#include "sys/utf8_case.h"

namespace {

constexpr unsigned kShellWaitMs = 2000;  // the shell deletes the group in its own time
constexpr unsigned kPollMs = 50;

// The group to remove and how its shortcuts are known.
class OurGroup {
 public:
  OurGroup(const InstallRecord* record, const std::string& appDir)
      : record_(record), appDir_(appDir) {}

  // dir: the group folder in "\\?\" form ending in "\"; inside: its final path.
  bool IsOurLink(const std::string& dir, const std::string& inside, const NamedEntry& entry) const {
    if (entry.attributes & (kDirectoryAttr | kReparsePointAttr)) return false;
    const std::string path = dir + entry.name;
    if (!LiesDirectlyIn(path, inside)) return false;
    if (record_) {
      const RecordedLink* link = FindRecordedLink(*record_, entry.name);
      return link && Utf8SameText(ShortcutTarget(path), link->target);
    }
    for (const GroupLink& link : GroupLinks()) {
      if (!Utf8SameText(entry.name, link.link)) continue;
      const std::string target = ShortcutTarget(path);
      return Utf8SameText(ExtractFileName(target), link.target) &&
             SamePath(StripBackslash(ExtractFilePath(target)), StripBackslash(appDir_));
    }
    return false;
  }

  // Deletes our shortcuts by their exact names; what is left of them.
  Lines DeleteOurLinks(const std::string& dir) const {
    const std::string inside = PlaceOf(StripBackslash(dir));
    for (const NamedEntry& entry : ListFolderAsNamed(dir))
      if (IsOurLink(dir, inside, entry)) DeleteInside(dir + entry.name, inside);
    Lines left;
    bool complete = false;
    for (const NamedEntry& entry : ListFolderAsNamed(dir, &complete))
      if (IsOurLink(dir, inside, entry)) left.push_back(UsualPath(dir + entry.name));
    if (!complete && DirectoryExists(dir)) left.push_back(UsualPath(StripBackslash(dir)));
    return left;
  }

  bool HoldsOthers(const std::string& dir) const {
    const std::string inside = PlaceOf(StripBackslash(dir));
    for (const NamedEntry& entry : ListFolderAsNamed(dir))
      if (!IsOurLink(dir, inside, entry)) return true;
    return false;
  }

 private:
  const InstallRecord* record_;
  std::string appDir_;
};

// The group's name in the Programs folder: the record's group, which must lie
// there and agree with the registry's name where both are given.
std::string GroupName(const std::string& name, const InstallRecord* record) {
  if (!record) return name;
  const std::string recorded = ExtractFileName(record->group);
  if (record->group.empty() || (!name.empty() && !Utf8SameText(name, recorded)))
    return std::string();
  const std::string folder = GroupFolderOf(recorded);
  return !folder.empty() && Utf8SameText(folder, record->group) ? recorded : std::string();
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

GroupRemoval RemoveProgramGroup(const std::string& registryName, const InstallRecord* record,
                                const std::string& appDir) {
  GroupRemoval result;
  const OurGroup ours(record, appDir);
  const std::string name = GroupName(registryName, record);
  const std::string macro = DeleteGroupMacro(name);
  const std::string folder = GroupFolderOf(name);
  if (macro.empty() || folder.empty() || IsProtectedFolder(folder)) {
    result.verdict = GroupVerdict::Skipped;
    return result;
  }
  if (!DirectoryExists(folder)) return result;
  const std::string dir = ExtendedFolderPath(folder);
  if (ours.HoldsOthers(dir)) {
    result.left = ours.DeleteOurLinks(dir);
    result.verdict = result.left.empty() ? GroupVerdict::Kept : GroupVerdict::Failed;
    return result;
  }
  if (ShellDeletes(macro, folder)) return result;
  // No shell to ask (no desktop, or an unattended run): the folder holds our
  // shortcuts only, and goes by hand.
  result.left = ours.DeleteOurLinks(dir);
  RemoveDir(StripBackslash(dir));
  if (result.left.empty() && DirectoryExists(folder)) result.left.push_back(folder);
  if (!result.left.empty()) result.verdict = GroupVerdict::Failed;
  return result;
}
