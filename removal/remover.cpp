// The removal's steps, in order, with the log the user follows.
#include "common/apps_entry.h"
#include "common/constants.h"
#include "common/left_report.h"
#include "common/protected_folders.h"
#include "removal/folder_cleanup.h"
#include "removal/group_removal.h"
#include "removal/removal.h"
#include "sys/file_identity.h"
#include "sys/files.h"
#include "sys/module_path.h"
#include "sys/path.h"
#include "sys/registry.h"

namespace {

class Remover {
 public:
  Remover(const InstalledProducts& products, const RemovalLog& log) : p_(products), log_(log) {}

  RemovalOutcome Run(const RemovalChoices& choices) {
    if (choices.app) RemoveApp();
    if (choices.mix) RemoveMix();
    // The entry in Settings > Apps goes with the client's key, once nothing
    // is left for the uninstaller to do.
    if (complete_ && !RegistryKeyExists(ProductRegistryKey)) KeyGone(AppsEntryKey());
    Say("Done!", false);
    RemovalOutcome outcome;
    outcome.complete = complete_;
    outcome.removeUninstaller = complete_ && !RegistryKeyExists(ProductRegistryKey) && RunsFromClientFolder();
    return outcome;
  }

 private:
  void Say(const std::string& line, bool stepEnd) {
    if (log_) log_(line, stepEnd);
  }

  // "...done", or "...failed" followed by what the step left behind.
  bool StepEnded(const std::string& step, const Lines& left) {
    Say("   " + step + (left.empty() ? "...done" : "...failed"), left.empty());
    const Lines report = LeftReport(left);
    for (size_t i = 0; i < report.size(); ++i) Say(report[i], i + 1 == report.size());
    if (!left.empty()) complete_ = false;
    return left.empty();
  }

  // A files step: the folder operation, unless the folder is one that no step
  // may empty. Skipping leaves the product's files: its removal is incomplete.
  bool FilesStep(const std::string& folder, Lines (*remove)(const std::string&)) {
    if (IsProtectedFolder(folder)) {
      Say("   program files...skipped (protected folder)", true);
      complete_ = false;
      return false;
    }
    return StepEnded("program files", remove(folder));
  }

  // The key goes only when the product is gone: while anything is left the
  // key lets the user run the removal again.
  void KeyStep(const std::string& key, bool productGone) {
    if (!productGone) {
      Say("   registry key...kept", true);
      return;
    }
    StepEnded("registry key", KeyGone(key) ? Lines() : Lines{"HKEY_CURRENT_USER\\" + key});
  }

  bool KeyGone(const std::string& key) {
    Registry registry;
    registry.DeleteKey(key);
    if (!registry.KeyExists(key)) return true;
    complete_ = false;
    return false;
  }

  void RemoveApp() {
    Say("Removing " + ProductName + "...", true);
    const GroupRemoval group = RemoveProgramGroup(p_.programGroup);
    bool ok = true;
    if (group.verdict == GroupVerdict::Failed) ok = StepEnded("program group", group.left);
    else Say("   program group..." + std::string(GroupVerdictText(group.verdict)), true);
    ok = FilesStep(p_.appDir, RemoveClientFiles) && ok;
    KeyStep(ProductRegistryKey, ok);
  }

  void RemoveMix() {
    Say("Removing Mixmaster...", true);
    KeyStep(MixRegistryKey, FilesStep(p_.mixDir, RemoveMixmasterFiles));
  }

  // The uninstaller that runs is the one in the client's folder: it cannot
  // delete itself while it runs.
  bool RunsFromClientFolder() const {
    const std::string self = ModuleFileName();
    return !p_.appDir.empty() && SamePath(p_.appDir + ExtractFileName(self), self);
  }

  const InstalledProducts& p_;
  const RemovalLog& log_;
  bool complete_ = true;
};

}  // namespace

RemovalOutcome RunRemoval(const InstalledProducts& products, const RemovalChoices& choices,
                          const RemovalLog& log) {
  return Remover(products, log).Run(choices);
}
