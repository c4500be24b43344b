// The install record, written last: what this install placed, and what an
// earlier install placed that is still there as it left it.
#include "common/constants.h"
#include "common/install_record_file.h"
#include "common/program_group.h"
#include "install/installer.h"
#include "sys/file_identity.h"
#include "sys/files.h"
#include "sys/named_mutex.h"
#include "sys/path.h"
#include "sys/shortcut.h"
#include "sys/utf8_case.h"

namespace {

bool Placed(const InstallPlan& plan, const std::string& name) {
  for (const PlannedFile& file : plan.files)
    if (Utf8SameText(file.name, name)) return true;
  return false;
}

// The earlier record of this folder and this user; an empty one otherwise.
InstallRecord EarlierRecord(const std::string& folder, const std::string& user) {
  InstallRecord earlier;
  if (ReadInstallRecordIn(folder, &earlier) != RecordFound::Sound || earlier.user != user ||
      !SamePath(earlier.folder, folder))
    return InstallRecord();
  return earlier;
}

}  // namespace

StepResult Installer::WriteInstallRecord() {
  const std::string dir = AddBackslash(plan_.folder);
  const std::string path = dir + kInstallRecordName;
  InstallRecord record;
  record.user = CurrentUserSid();
  record.version = plan_.version;
  record.folder = plan_.folder;
  for (const PlannedFile& file : plan_.files) {
    RecordedFile placed;
    if (Utf8SameText(file.name, kInstallRecordName)) continue;
    if (!DescribeFile(dir + file.name, file.name, &placed))
      return Fail("Setup Error", "Unable to read what was installed\n" + dir + file.name);
    record.files.push_back(placed);
  }
  // Files of an earlier install that this one did not replace stay setup's
  // while they hold what it placed; its group too, when this one makes none.
  const InstallRecord earlier = EarlierRecord(plan_.folder, record.user);
  for (const RecordedFile& file : earlier.files)
    if (!Placed(plan_, file.name) && MatchesRecord(dir + file.name, file))
      record.files.push_back(file);
  if (!groupFolder_.empty()) {
    record.group = groupFolder_;
    for (const GroupLink& link : GroupLinks())
      record.links.push_back({link.link, ShortcutTarget(AddBackslash(groupFolder_) + link.link)});
  } else if (!plan_.group) {
    record.group = earlier.group;
    record.links = earlier.links;
  }
  std::string bytes;
  if (!FormatInstallRecord(record, &bytes) || !PlaceContent(bytes, path))
    return Fail("Setup Error", "Unable to write the record of what was installed\n" + path);
  return StepResult::Done;
}
