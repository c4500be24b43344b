// The journaled changes every step is made of.
#include "install/installer.h"

#include "common/apps_entry.h"
#include "sys/direct_file.h"
#include "sys/error_text.h"
#include "sys/file_access.h"
#include "sys/files.h"
#include "sys/folder_size.h"
#include "sys/path.h"
#include "sys/registry.h"
#include "sys/utf8_case.h"

namespace {

bool Write(Registry& key, const SettingValue& value) {
  switch (value.kind) {
    case SettingValue::Kind::Integer: return key.WriteInteger(value.name, value.number);
    case SettingValue::Kind::Text: return key.WriteText(value.name, value.text);
    case SettingValue::Kind::Ansi: break;
  }
  return key.WriteString(value.name, value.text);
}

bool ReadsBack(const Registry& key, const SettingValue& value) {
  Registry::RawValue stored;
  if (!key.ReadRaw(value.name, &stored) || !stored.present) return false;
  switch (value.kind) {
    case SettingValue::Kind::Integer:
      return stored.type == REG_DWORD && stored.data.size() == 4 &&
             *reinterpret_cast<const int*>(stored.data.data()) == value.number;
    case SettingValue::Kind::Text: return stored.type == REG_SZ && key.ReadText(value.name) == value.text;
    case SettingValue::Kind::Ansi: break;
  }
  return stored.type == REG_SZ && key.ReadStringOrEmpty(value.name) == value.text;
}

}  // namespace

StepResult Installer::Fail(const std::string& caption, const std::string& message) {
  caption_ = caption;
  message_ = message;
  return StepResult::Failed;
}

bool Installer::MakeFolder(const std::string& folder) {
  const std::string dir = StripBackslash(folder);
  if (dir.empty()) return false;
  if (DirectoryExists(dir)) return true;
  const std::string parent = StripBackslash(ExtractFilePath(dir));
  // A missing drive ("X:") is its own parent: stop there instead of looping.
  if (parent.empty() || parent == dir || !MakeFolder(parent)) return false;
  return journal_.FolderCreated(dir) && (CreateDir(dir) || DirectoryExists(dir));
}

bool Installer::CreatedByThisRun(const std::string& path) const {
  return created_.count(Utf8LowerCase(path)) > 0;
}

// The file at target keeps its attributes, read-only too, on its copy: the
// roll-back renames it back as it was (docs/install-recovery.md, rule 7).
bool Installer::PrepareTarget(const std::string& target) {
  if (FileExists(target) && !CreatedByThisRun(target)) {
    // A link there is not ours to move: under Wine the move would take what
    // it leads to, and the commit would then delete that.
    const std::string aside = InstallJournal::AsideName(target);
    if (aside.empty() || !ReachedDirectly(target, 1) || !journal_.FileMovedAside(target, aside) ||
        !MoveOneFile(target, aside, false))
      return false;
  }
  if (!journal_.FileCreated(target)) return false;
  created_.insert(Utf8LowerCase(target));
  return true;
}

bool Installer::PlaceCopy(const std::string& source, const std::string& target) {
  if (!PrepareTarget(target)) return false;
  if (!CopyOneFile(source, target, true)) {
    // Someone made the file meanwhile: it is not ours to remove. What a
    // failed copy left of its own (a full disk) is.
    if (FailedBecauseTargetExists()) journal_.NotCreated(target);
    return false;
  }
  // Installed files never keep a read-only attribute (a distribution on a CD
  // has it on every file): a later install must be able to replace them.
  ClearReadOnly(target);
  return true;
}

bool Installer::BackUp(const std::string& path) {
  if (!FileExists(path) || CreatedByThisRun(path)) return true;
  const std::string backup = InstallJournal::AsideName(path);
  if (backup.empty() || !journal_.ScratchFile(backup)) return false;
  if (!CopyOneFile(path, backup, true)) {
    if (FailedBecauseTargetExists()) journal_.NotCreated(backup);
    return false;
  }
  // The copy counts only once it is whole and on the disk: a roll-back must
  // never put back half a database.
  return FlushFileToDisk(backup) && journal_.FileBackedUp(path, backup);
}

bool Installer::WriteValues(const std::string& key, const SettingValues& values) {
  Registry registry;
  if (registry.KeyExists("\\" + key)) {
    for (const SettingValue& value : values)
      if (!journal_.ValueChanged(key, value.name)) return false;
  } else if (!journal_.KeyCreated(key)) {
    return false;
  }
  if (!registry.OpenKey("\\" + key, true)) return false;
  for (const SettingValue& value : values)
    if (!Write(registry, value)) return false;
  // Done only when every value reads back as written.
  Registry check;
  if (!check.OpenKeyReadOnly("\\" + key)) return false;
  for (const SettingValue& value : values)
    if (!ReadsBack(check, value)) return false;
  return true;
}

StepResult Installer::UpdateEstimatedSize() {
  const SettingValues size = {AppsEntrySizeValue(FolderFilesSize(AddBackslash(plan_.folder)))};
  return WriteValues(AppsEntryKey(), size) ? StepResult::Done
                                           : Fail("Registry Error", "Unable to write the size of " + plan_.folder);
}
