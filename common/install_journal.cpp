#include "common/install_journal.h"

#include <cstdlib>
#include <set>

#include "common/apps_entry.h"
#include "common/constants.h"
#include "common/journal_undo.h"
#include "common/kept_copy.h"
#include "sys/direct_file.h"
#include "sys/files.h"
#include "sys/known_folders.h"
#include "sys/path.h"
#include "sys/registry.h"

namespace {

namespace op = journal_op;

// The journal and its folder: the two names checked (rule 2).
constexpr size_t kJournalParts = 2;

std::string JournalFolder(const std::string& journal) {
  return StripBackslash(ExtractFilePath(journal));
}

InstallJournal::RecordHook& Hook() {
  static InstallJournal::RecordHook hook;
  return hook;
}

}  // namespace

std::string InstallJournalPath() {
  std::string base = KnownFolderPath(KnownFolder::LocalAppData);
  if (base.empty()) base = TempDir();
  return AddBackslash(base) + ProductName + " Setup\\install.journal";
}

std::string InstallJournal::AsideName(const std::string& path) {
  for (int n = 1; n <= kMaxCopyNumber; ++n) {
    const std::string name = CopyName(path, n);
    if (!FileExists(name) && !DirectoryExists(name)) return name;
  }
  return std::string();
}

void InstallJournal::SetRecordHook(RecordHook hook) { Hook() = std::move(hook); }

bool InstallJournal::Begin(const std::string& destination, const std::string& groupFolder) {
  records_.clear();
  bounds_ = {StripBackslash(destination), StripBackslash(groupFolder), ProductRegistryKey,
             AppsEntryKey()};
  const std::string folder = JournalFolder(path_);
  if (!DirectoryExists(folder)) CreateDir(folder);
  const JournalRecord bounds = BoundsRecord(bounds_);
  const std::string bytes = std::string(kJournalHeader) + "\r\n" + EncodeJournalRecord(bounds);
  if (!file_.Create(path_, kJournalParts)) return false;
  if (!file_.Append(bytes)) {
    file_.Close();
    RemoveDirectFile(path_);
    return false;
  }
  size_ = bytes.size();
  records_.push_back(bounds);
  return true;
}

bool InstallJournal::Write(const JournalRecord& record) {
  const std::string line = EncodeJournalRecord(record);
  if (!file_.IsOpen() || !RecordFault(record, bounds_).empty() ||
      size_ + line.size() > kMaxJournalBytes)
    return false;
  if (Hook() && !Hook()(record, false)) return false;
  if (!file_.Append(line)) return false;
  size_ += line.size();
  records_.push_back(record);
  if (Hook()) Hook()(record, true);
  return true;
}

bool InstallJournal::FolderCreated(const std::string& folder) {
  return Write({op::kFolder, {folder}});
}
bool InstallJournal::FileCreated(const std::string& path) { return Write({op::kFile, {path}}); }
bool InstallJournal::NotCreated(const std::string& path) { return Write({op::kNotOurs, {path}}); }
bool InstallJournal::ScratchFile(const std::string& path) { return Write({op::kScratch, {path}}); }
bool InstallJournal::KeyCreated(const std::string& key) { return Write({op::kKey, {key}}); }

// Rule 6: a kept copy is recorded with what proves it.
bool InstallJournal::FileMovedAside(const std::string& path, const std::string& aside) {
  CopyProof proof;
  return ProofOf(path, &proof) &&
         Write({op::kAside, {path, aside, std::to_string(proof.size), proof.sha256}});
}

bool InstallJournal::FileBackedUp(const std::string& path, const std::string& backup) {
  CopyProof proof;
  return ProofOf(backup, &proof) &&
         Write({op::kBackup, {path, backup, std::to_string(proof.size), proof.sha256}});
}

bool InstallJournal::ValueChanged(const std::string& key, const std::string& name) {
  Registry registry;
  Registry::RawValue value;
  if (registry.OpenKeyReadOnly("\\" + key) && !registry.ReadRaw(name, &value)) return false;
  return Write(
      {op::kValue,
       {key, name, value.present ? "1" : "0", std::to_string(value.type), ToHex(value.data)}});
}

void InstallJournal::RemoveKeptCopies(Lines* left) {
  const JournalUndo undo(records_);
  const std::vector<JournalRecord> records = records_;
  for (const JournalRecord& r : records) undo.RemoveCopy(r, left);
}

bool InstallJournal::Commit() {
  if (!Write({op::kCommit, {}})) return false;
  Lines left;
  RemoveKeptCopies(&left);
  if (left.empty()) Finish();
  file_.Close();
  return true;
}

Lines InstallJournal::RollBack() {
  if (records_.empty()) return {};  // never begun: whatever journal is there is not this one's
  std::set<size_t> undone;
  for (const JournalRecord& r : records_)
    if (r.op == op::kUndone) undone.insert(std::strtoul(r.fields[0].c_str(), nullptr, 10));
  const JournalUndo undo(records_);
  Lines left;
  // Rule 9: newest first, each undo marked before the next.
  for (size_t i = records_.size(); i-- > 1;) {
    const JournalRecord r = records_[i];
    if (undone.count(i) || r.op == op::kUndone || r.op == op::kNotOurs) continue;
    if (undo.Undo(r, &left)) Write({op::kUndone, {std::to_string(i)}});
  }
  if (left.empty()) Finish();
  file_.Close();
  return left;
}

bool InstallJournal::Resume(const std::vector<JournalRecord>& records, uint64_t length) {
  records_ = records;
  JournalFault(records_, &bounds_);
  size_ = length;
  return file_.Reopen(path_, kJournalParts, length);
}

Lines InstallJournal::RemoveCopies() {
  Lines left;
  RemoveKeptCopies(&left);
  Finish();
  file_.Close();
  return left;
}

void InstallJournal::Finish() {
  file_.Close();
  const DirectFile removed = RemoveDirectFile(path_);
  if (removed == DirectFile::Done || removed == DirectFile::Missing) {
    RemoveDir(JournalFolder(path_));  // only when nothing else is in it
    return;
  }
  const bool marked = !records_.empty() && records_.back().op == op::kFinished;
  if (!marked && file_.Reopen(path_, kJournalParts, size_)) Write({op::kFinished, {}});
  file_.Close();
}
