// The removal's steps, in order, with the log the user follows.
#include "common/apps_entry.h"
#include "common/constants.h"
#include "common/left_report.h"
#include "common/protected_folders.h"
#include "removal/folder_cleanup.h"
#include "removal/group_removal.h"
#include "removal/removal.h"
#include "removal/self_removal.h"
#include "removal/setup_files.h"
#include "sys/extended_path.h"
#include "sys/file_identity.h"
#include "sys/files.h"
#include "sys/module_path.h"
#include "sys/path.h"
#include "sys/registry.h"
#include "sys/utf8_case.h"

namespace {

class Remover {
 public:
  Remover(const InstalledProducts& products, const RemovalLog& log) : p_(products), log_(log) {}

  RemovalOutcome Run(const RemovalChoices& choices) {
    if (choices.app) RemoveApp();
    if (choices.mix) RemoveMix();
    // The entry in Settings > Apps goes last, once nothing is left for the
    // uninstaller to do; a client the user chose to keep keeps it.
    if (complete_ && !RegistryKeyExists(ProductRegistryKey) && (choices.app || !p_.app))
      FinishClient();
    Say("Done!", false);
    RemovalOutcome outcome;
    outcome.complete = complete_;
    return outcome;
  }

 private:
  void Say(const std::string& line, bool stepEnd) {
    if (log_) log_(line, stepEnd);
  }

  void Report(const Lines& paths) {
    const Lines report = LeftReport(paths);
    for (size_t i = 0; i < report.size(); ++i) Say(report[i], i + 1 == report.size());
  }

  // "...done", or "...failed" followed by what the step left behind.
  bool StepEnded(const std::string& step, const Lines& left) {
    Say("   " + step + (left.empty() ? "...done" : "...failed"), left.empty());
    Report(left);
    if (!left.empty()) complete_ = false;
    return left.empty();
  }

  // A step that could not look at what it was to remove: nothing says it is gone.
  bool StepFailed(const std::string& step, const std::string& why, const Lines& paths) {
    Say("   " + step + "...failed (" + why + ")", paths.empty());
    Report(paths);
    complete_ = false;
    return false;
  }

  // Whether a files step may go to work on folder: true when it may, false
  // (the step ended, incomplete) when it may not. done: there is nothing to
  // remove, and the step ended so.
  bool MayWorkIn(const std::string& folder, bool named, bool* done) {
    *done = false;
    if (folder.empty()) {
      *done = !named;
      return named ? StepFailed("program files", "the registry names no folder", {})
                   : StepEnded("program files", {});
    }
    if (IsProtectedFolder(folder)) {
      Say("   program files...skipped (protected folder)", true);
      complete_ = false;
      return false;
    }
    switch (PresenceOf(StripBackslash(folder))) {
      case Presence::Folder:
        return true;
      case Presence::Missing:
        *done = true;
        return StepEnded("program files", {});
      case Presence::File:
        return StepFailed("program files", "it is not a folder", {StripBackslash(folder)});
      case Presence::Unreachable:
        break;
    }
    return StepFailed("program files", "it cannot be reached", {StripBackslash(folder)});
  }

  const InstallRecord* Record() const {
    return p_.recordFound == RecordFound::Sound ? &p_.record : nullptr;
  }

  bool ClientFilesStep() {
    bool done = false;
    if (!MayWorkIn(p_.appDir, p_.appKey, &done)) return false;
    if (done) return true;
    if (p_.recordFound == RecordFound::Unreadable)
      return StepFailed("program files", "its install record cannot be used: " + p_.recordProblem,
                        {p_.appDir + kInstallRecordName});
    const FilesOutcome files = RemoveClientFiles(p_.appDir, Record());
    const bool ok = StepEnded("program files", files.left);
    if (!files.kept.empty()) {
      Say("   kept (" + std::to_string(files.kept.size()) + " files setup did not install)", false);
      Report(files.kept);
    }
    return ok;
  }

  bool MixFilesStep() {
    bool done = false;
    if (!MayWorkIn(p_.mixDir, true, &done)) return false;
    return done || StepEnded("program files", RemoveMixmasterFiles(p_.mixDir).left);
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

  bool GroupStep() {
    if (p_.recordFound == RecordFound::Unreadable) {
      Say("   program group...skipped", true);
      return false;
    }
    const GroupRemoval group = RemoveProgramGroup(p_.programGroup, Record(), p_.appDir);
    if (group.verdict == GroupVerdict::Failed) return StepEnded("program group", group.left);
    Say("   program group..." + std::string(GroupVerdictText(group.verdict)), true);
    return true;
  }

  void RemoveApp() {
    Say("Removing " + ProductName + "...", true);
    bool ok = GroupStep();
    ok = ClientFilesStep() && ok;
    KeyStep(ProductRegistryKey, ok);
  }

  void RemoveMix() {
    Say("Removing Mixmaster...", true);
    KeyStep(MixRegistryKey, MixFilesStep());
  }

  // The entry, then the uninstaller (the running one moves itself out), then
  // the record and the folder when nothing else is left in it. Until the
  // uninstaller has left, the record lets it finish the removal if this run
  // is stopped.
  void FinishClient() {
    if (RegistryKeyExists(AppsEntryKey()) && !KeyGone(AppsEntryKey())) {
      StepEnded("Settings > Apps entry", {"HKEY_CURRENT_USER\\" + AppsEntryKey()});
      return;
    }
    if (p_.appDir.empty() || PresenceOf(StripBackslash(p_.appDir)) != Presence::Folder ||
        IsProtectedFolder(p_.appDir))
      return;
    const std::string dir = ExtendedFolderPath(p_.appDir);
    const std::string inside = PlaceOf(StripBackslash(dir));
    bool left = false;
    for (const NamedEntry& entry : ListFolderAsNamed(dir)) {
      if (!Utf8SameText(entry.name, UninstallerFile) ||
          OwnerOf(dir, inside, entry, Record()) != Owner::Setup)
        continue;
      const std::string path = dir + entry.name;
      left = SamePath(path, ModuleFileName()) ? !RemoveSelf(path) : !DeleteInside(path, inside);
    }
    if (left) return;
    if (Record()) DeleteInside(dir + kInstallRecordName, inside);
    RemoveDir(StripBackslash(dir));
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
