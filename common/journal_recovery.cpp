// The recovery at every start (docs/install-recovery.md, rules 13 to 15):
// a journal is read only when reached directly and small enough, trusted
// only whole and within its bounds, and finished, set aside or left alone.
#include <exception>

#include "common/apps_entry.h"
#include "common/constants.h"
#include "common/install_journal.h"
#include "common/program_group.h"
#include "common/protected_folders.h"
#include "sys/direct_file.h"
#include "sys/files.h"
#include "sys/path.h"
#include "sys/utf8_case.h"

namespace {

namespace op = journal_op;
using Outcome = Recovery::Outcome;

Recovery Said(Outcome outcome, const std::string& reason) {
  Recovery recovery;
  recovery.outcome = outcome;
  recovery.reason = reason;
  return recovery;
}

bool Has(const std::vector<JournalRecord>& records, const char* name) {
  for (const JournalRecord& r : records)
    if (r.op == name) return true;
  return false;
}

// Rule 15: renamed out of the way.
Recovery SetAside(const std::string& path, const std::string& why) {
  Recovery recovery = Said(Outcome::SetAside, why);
  recovery.keptAs = InstallJournal::AsideName(path);
  if (!recovery.keptAs.empty() && MoveOneFile(path, recovery.keptAs, false)) return recovery;
  return Said(Outcome::Left, "its journal " + path + " " + why + ", and it cannot be set aside.");
}

// Rule 3: the bounds as this user's installation has them.
std::string BoundsFault(const std::vector<JournalRecord>& records) {
  JournalBounds bounds;
  const std::string fault = JournalFault(records, &bounds);
  if (!fault.empty()) return fault;
  if (!Utf8SameText(bounds.clientKey, ProductRegistryKey) ||
      !Utf8SameText(bounds.appsKey, AppsEntryKey()))
    return "names keys that are not Corvaline's";
  if (IsProtectedFolder(bounds.destination))
    return "names " + bounds.destination + " as its destination";
  if (!bounds.groupFolder.empty() && !Utf8SameText(bounds.groupFolder, GroupFolderOf(ProductName)))
    return "names " + bounds.groupFolder + " as its group";
  return "";
}

Recovery Recover(const std::string& path) {
  std::string bytes;
  switch (ReadDirectFile(path, 2, kMaxJournalBytes, &bytes)) {
    case DirectFile::Missing: return Recovery();
    // Rule 2: not even renamed, since Wine would move what the link leads to.
    case DirectFile::Linked:
      return Said(Outcome::Refused,
                  "its journal " + path + " is a link, or in a folder that is one");
    case DirectFile::TooLarge: return SetAside(path, "it holds more than 8 MiB");
    case DirectFile::Failed: return Said(Outcome::Left, "its journal " + path + " cannot be read.");
    case DirectFile::Done: break;
  }
  const DecodedJournal read = DecodeJournal(bytes);
  if (read.verdict == DecodedJournal::Verdict::NotAJournal)
    return SetAside(path, bytes.empty() ? "it is empty" : "it is not a journal of this setup");
  if (read.verdict == DecodedJournal::Verdict::Damaged)
    return Said(Outcome::Refused, "its journal " + path + " is damaged at record " +
                                      std::to_string(read.damaged + 1));
  InstallJournal journal(path);
  if (Has(read.records, op::kFinished)) {
    journal.Resume(read.records, read.length);
    journal.Finish();
    return Said(Outcome::Finished, "");
  }
  const std::string fault = BoundsFault(read.records);
  if (!fault.empty()) return Said(Outcome::Refused, "its journal " + path + " " + fault);
  const std::string& destination = read.records[0].fields[0];
  if (Has(read.records, op::kCommit)) {
    journal.Resume(read.records, read.length);
    Recovery recovery = Said(Outcome::Committed, "");
    recovery.left = journal.RemoveCopies();
    return recovery;
  }
  // Rule 10: nothing is done while the installation is out of reach.
  if (!DirectoryExists(PathRoot(destination)))
    return Said(Outcome::Left, "the drive or share of " + destination + " cannot be reached.");
  journal.Resume(read.records, read.length);
  Recovery recovery = Said(Outcome::RolledBack, "");
  recovery.left = journal.RollBack();
  if (!recovery.left.empty()) {
    recovery.outcome = Outcome::Left;
    recovery.reason = "these changes it made are left:";
  }
  return recovery;
}

}  // namespace

Recovery RecoverInterruptedInstall(const std::string& path) {
  // Rule 13: whatever fails here is said, and the journal stays.
  try {
    return Recover(path);
  } catch (const std::exception& e) {
    return Said(Outcome::Left,
                "its journal " + path + " could not be finished (" + e.what() + ").");
  }
}
