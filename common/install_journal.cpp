#include "common/install_journal.h"

#include <cstdlib>
#include <set>

#include "common/constants.h"
#include "sys/file_access.h"
#include "sys/files.h"
#include "sys/known_folders.h"
#include "sys/path.h"
#include "sys/registry.h"

namespace {

const char kFolderOp[] = "dir";
const char kFileOp[] = "file";
const char kNotCreatedOp[] = "keep";
const char kAsideOp[] = "aside";
const char kScratchOp[] = "scratch";
const char kBackupOp[] = "backup";
const char kKeyOp[] = "key";
const char kValueOp[] = "value";
const char kCommitOp[] = "commit";

std::string JournalFolder(const std::string& journal) { return StripBackslash(ExtractFilePath(journal)); }

bool RemoveIfThere(const std::string& path) {
  if (!FileExists(path)) return true;
  ClearReadOnly(path);
  return RemoveFile(path) || !FileExists(path);
}

// Puts a kept copy back in place of whatever is at path now.
bool PutBack(const std::string& copy, const std::string& path) {
  if (!FileExists(copy)) return true;  // never made, or already put back
  ClearReadOnly(path);
  return MoveOneFile(copy, path, true);
}

bool SameValue(const Registry::RawValue& a, const Registry::RawValue& b) {
  return a.present == b.present && (!a.present || (a.type == b.type && a.data == b.data));
}

// A value that already holds what it held before needs no write: its own
// write may have been the change that failed.
bool RestoreValue(const JournalRecord& r) {
  if (r.fields.size() != 5) return false;
  Registry::RawValue value;
  value.present = r.fields[2] == "1";
  value.type = static_cast<DWORD>(std::strtoul(r.fields[3].c_str(), nullptr, 10));
  if (!FromHex(r.fields[4], &value.data)) return false;
  Registry registry;
  Registry::RawValue now;
  if (registry.OpenKeyReadOnly("\\" + r.fields[0]) && registry.ReadRaw(r.fields[1], &now) && SameValue(now, value))
    return true;
  if (!value.present && !registry.KeyExists("\\" + r.fields[0])) return true;
  return registry.OpenKey("\\" + r.fields[0], true) && registry.WriteRaw(r.fields[1], value);
}

bool DeleteKeyTree(const std::string& key) {
  Registry registry;
  if (!registry.KeyExists("\\" + key)) return true;
  registry.DeleteKey("\\" + key);
  return !registry.KeyExists("\\" + key);
}

// Takes one record back; true when its change is undone (or was never made).
bool Undo(const JournalRecord& r, const std::set<std::string>& notOurs, Lines* left) {
  const std::string& first = r.fields.empty() ? std::string() : r.fields[0];
  bool ok = true;
  if (r.op == kFolderOp) {
    if (DirectoryExists(first)) RemoveDir(first);
    ok = !DirectoryExists(first);
  } else if (r.op == kFileOp) {
    ok = notOurs.count(first) || RemoveIfThere(first);
  } else if (r.op == kAsideOp || r.op == kBackupOp) {
    ok = r.fields.size() == 2 && PutBack(r.fields[1], first);
  } else if (r.op == kScratchOp) {
    ok = RemoveIfThere(first);
  } else if (r.op == kKeyOp) {
    ok = DeleteKeyTree(first);
    if (!ok) left->push_back("HKEY_CURRENT_USER\\" + first);
    return ok;
  } else if (r.op == kValueOp) {
    ok = RestoreValue(r);
    if (!ok) left->push_back("HKEY_CURRENT_USER\\" + first + " " + (r.fields.size() > 1 ? r.fields[1] : ""));
    return ok;
  }
  if (!ok) left->push_back(first);
  return ok;
}

// After a commit only the copies kept for a roll-back remain to be removed.
Lines RemoveCopies(const std::vector<JournalRecord>& records) {
  Lines left;
  for (const JournalRecord& r : records) {
    std::string copy;
    if ((r.op == kAsideOp || r.op == kBackupOp) && r.fields.size() == 2) copy = r.fields[1];
    if (r.op == kScratchOp && r.fields.size() == 1) copy = r.fields[0];
    if (!copy.empty() && !RemoveIfThere(copy)) left.push_back(copy);
  }
  return left;
}

bool HasCommit(const std::vector<JournalRecord>& records) {
  for (const JournalRecord& r : records)
    if (r.op == kCommitOp) return true;
  return false;
}

// Takes back records, newest first; the ones that could not be undone.
std::vector<JournalRecord> UndoAll(const std::vector<JournalRecord>& records, Lines* left) {
  std::set<std::string> notOurs;
  for (const JournalRecord& r : records)
    if (r.op == kNotCreatedOp && !r.fields.empty()) notOurs.insert(r.fields[0]);
  std::vector<JournalRecord> failed;
  for (auto it = records.rbegin(); it != records.rend(); ++it)
    if (!Undo(*it, notOurs, left)) failed.insert(failed.begin(), *it);
  return failed;
}

// Replaces the journal by one that holds only records (none: no journal).
void Rewrite(const std::string& path, const std::vector<JournalRecord>& records) {
  if (records.empty()) {
    RemoveFile(path);
    RemoveDir(JournalFolder(path));  // only when nothing else is in it
    return;
  }
  std::string bytes = std::string(kJournalHeader) + "\r\n";
  for (const JournalRecord& r : records) bytes += EncodeJournalRecord(r);
  const std::string next = path + ".new";
  DurableFile file;
  if (file.Open(next, true) && file.Append(bytes)) {
    file.Close();
    MoveOneFile(next, path, true);
  }
}

}  // namespace

std::string InstallJournalPath() {
  std::string base = KnownFolderPath(KnownFolder::LocalAppData);
  if (base.empty()) base = TempDir();
  return AddBackslash(base) + ProductName + " Setup\\install.journal";
}

std::string InstallJournal::AsideName(const std::string& path) {
  for (int n = 1;; ++n) {
    std::string name = path + ".~cv" + std::to_string(n);
    if (!FileExists(name) && !DirectoryExists(name)) return name;
  }
}

bool InstallJournal::Begin() {
  records_.clear();
  const std::string folder = JournalFolder(path_);
  if (!DirectoryExists(folder)) CreateDir(folder);
  return file_.Open(path_, true) && file_.Append(std::string(kJournalHeader) + "\r\n");
}

namespace {
InstallJournal::RecordHook& Hook() {
  static InstallJournal::RecordHook hook;
  return hook;
}
}  // namespace

void InstallJournal::SetRecordHook(RecordHook hook) { Hook() = std::move(hook); }

bool InstallJournal::Write(const JournalRecord& record) {
  if (Hook() && !Hook()(records_.size(), false)) return false;
  if (!file_.Append(EncodeJournalRecord(record))) return false;
  records_.push_back(record);
  if (Hook()) Hook()(records_.size() - 1, true);
  return true;
}

bool InstallJournal::FolderCreated(const std::string& folder) { return Write({kFolderOp, {folder}}); }
bool InstallJournal::FileCreated(const std::string& path) { return Write({kFileOp, {path}}); }
bool InstallJournal::NotCreated(const std::string& path) { return Write({kNotCreatedOp, {path}}); }
bool InstallJournal::FileMovedAside(const std::string& path, const std::string& aside) {
  return Write({kAsideOp, {path, aside}});
}
bool InstallJournal::ScratchFile(const std::string& path) { return Write({kScratchOp, {path}}); }
bool InstallJournal::FileBackedUp(const std::string& path, const std::string& backup) {
  return Write({kBackupOp, {path, backup}});
}
bool InstallJournal::KeyCreated(const std::string& key) { return Write({kKeyOp, {key}}); }

bool InstallJournal::ValueChanged(const std::string& key, const std::string& name) {
  Registry registry;
  Registry::RawValue value;
  if (registry.OpenKeyReadOnly("\\" + key) && !registry.ReadRaw(name, &value)) return false;
  return Write({kValueOp, {key, name, value.present ? "1" : "0", std::to_string(value.type), ToHex(value.data)}});
}

bool InstallJournal::Commit() {
  if (!Write({kCommitOp, {}})) return false;
  file_.Close();
  RemoveCopies(records_);
  Rewrite(path_, {});
  return true;
}

Lines InstallJournal::RollBack() {
  file_.Close();
  Lines left;
  Rewrite(path_, UndoAll(records_, &left));
  records_.clear();
  return left;
}

Recovery RecoverInterruptedInstall(const std::string& path) {
  Recovery recovery;
  std::string bytes;
  if (!ReadWholeFile(path, &bytes)) return recovery;
  recovery.found = true;
  std::vector<JournalRecord> records;
  if (!DecodeJournal(bytes, &records)) {
    // Not ours to read: leave it for someone to look at, change nothing.
    recovery.left.push_back(path);
    return recovery;
  }
  recovery.committed = HasCommit(records);
  if (recovery.committed) {
    recovery.left = RemoveCopies(records);
    Rewrite(path, {});
    return recovery;
  }
  Rewrite(path, UndoAll(records, &recovery.left));
  return recovery;
}
