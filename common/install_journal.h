// Every change an install makes is written here, and flushed to the disk,
// before it is made, so that a failed, cancelled or killed install can be
// taken back exactly, and so can a roll-back that was itself stopped. The
// journal lives with the user's local data, not in the destination, so it
// survives whatever happens there. Its rules: docs/install-recovery.md.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/journal_records.h"
#include "common/journal_rules.h"
#include "common/recovery_report.h"
#include "sys/durable_file.h"
#include "sys/lines.h"

// This user's journal: "<local application data>\Corvaline Setup\install.journal"
// (the temporary folder when the shell knows no local application data).
std::string InstallJournalPath();

// Rule 5: the most a journal may hold.
constexpr uint64_t kMaxJournalBytes = 8 << 20;

class InstallJournal {
 public:
  explicit InstallJournal(std::string path) : path_(std::move(path)) {}

  // Starts the journal of an install into destination, with its group in
  // groupFolder ("" without one): a new file naming these bounds (rules 2,
  // 3). False when it cannot be made, and then nothing may change.
  bool Begin(const std::string& destination, const std::string& groupFolder);

  // Each records a change that is about to be made. False when the record
  // did not reach the disk or lies outside the bounds: the change must not
  // be made then.
  bool FolderCreated(const std::string& folder);
  bool FileCreated(const std::string& path);
  // The file FileCreated announced was there after all: it is not ours.
  bool NotCreated(const std::string& path);
  // The file at path, as it is now (its size and SHA-256 are recorded), is
  // moved to aside, its copy name, before it is replaced.
  bool FileMovedAside(const std::string& path, const std::string& aside);
  // A file of our own (a copy being made): removed whatever happens.
  bool ScratchFile(const std::string& path);
  // backup holds, complete and on the disk, the bytes of path before a change
  // in place; a roll-back puts it back.
  bool FileBackedUp(const std::string& path, const std::string& backup);
  bool KeyCreated(const std::string& key);  // under HKEY_CURRENT_USER
  // Reads and records how the value is now, before it is written.
  bool ValueChanged(const std::string& key, const std::string& name);

  // The install is complete: the record that says so, then the copies kept
  // for a roll-back and the journal itself go (a copy that stays keeps the
  // journal for the next start). False when the record could not be
  // written (the install is then rolled back instead).
  bool Commit();
  // Takes back every change not yet taken back, newest first, marking each
  // (rules 8, 9). Returns what could not be restored or removed, empty when
  // the state before is back and the journal is gone (rule 11); otherwise
  // the journal stays for the next start.
  Lines RollBack();

  // Takes over the journal a stopped run left at this path: its records as
  // read, length the bytes of its whole records (a torn last one is cut
  // off). Marks are then appended to it; false when it cannot be reopened,
  // which costs only repeats (rule 9).
  bool Resume(const std::vector<JournalRecord>& records, uint64_t length);
  // For a resumed journal whose install had committed: removes the kept
  // copies, then the journal whatever stays; returns what stays.
  Lines RemoveCopies();
  // Rule 11: the journal goes or, when it cannot, is marked finished.
  void Finish();

  // A free copy name beside path ("CV.dbc" -> "CV.dbc.~cv1"), among the
  // numbers 1 to 999 only; "" when all are taken (rule 16).
  static std::string AsideName(const std::string& path);

  // Fault injection for tests: the hook sees each record before it is
  // written (written false) and after (true); false before makes the record
  // fail. A hook that throws stops the run where it stands, as a killed
  // process would.
  using RecordHook = std::function<bool(const JournalRecord& record, bool written)>;
  static void SetRecordHook(RecordHook hook);

 private:
  bool Write(const JournalRecord& record);
  // Removes the copies a commit leaves; what stays is added to left.
  void RemoveKeptCopies(Lines* left);

  std::string path_;
  DurableFile file_;
  JournalBounds bounds_;
  std::vector<JournalRecord> records_;  // bounds first
  uint64_t size_ = 0;                   // bytes on the disk
};

// Finishes the journal a stopped run left at path (rules 13 to 15): takes its
// changes back or, if it had committed, removes what it kept for that; a
// journal that cannot be trusted is left as it is, one that cannot be read
// is set aside. Call it before anything else, holding the one-at-a-time
// mutex; it raises nothing.
Recovery RecoverInterruptedInstall(const std::string& path);
