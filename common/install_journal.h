// Every change an install makes is written here, and flushed to the disk,
// before it is made, so that a failed, cancelled or killed install can be
// taken back exactly. The journal lives with the user's local data, not in
// the destination, so it survives whatever happens there.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "common/journal_records.h"
#include "sys/durable_file.h"
#include "sys/lines.h"

// This user's journal: "<local application data>\Corvaline Setup\install.journal"
// (the temporary folder when the shell knows no local application data).
std::string InstallJournalPath();

class InstallJournal {
 public:
  explicit InstallJournal(std::string path) : path_(std::move(path)) {}

  // Starts an empty journal; false when it cannot be written, and then
  // nothing may change.
  bool Begin();

  // Each records a change that is about to be made. False when the record
  // did not reach the disk: the change must not be made then.
  bool FolderCreated(const std::string& folder);
  bool FileCreated(const std::string& path);
  // The file FileCreated announced was there after all: it is not ours.
  bool NotCreated(const std::string& path);
  // The file at path is moved to aside (in its folder) before it is replaced.
  bool FileMovedAside(const std::string& path, const std::string& aside);
  // A file of our own (a backup being made): removed whatever happens.
  bool ScratchFile(const std::string& path);
  // backup holds, complete and on the disk, the bytes of path before a change
  // in place; a roll-back puts it back.
  bool FileBackedUp(const std::string& path, const std::string& backup);
  bool KeyCreated(const std::string& key);  // under HKEY_CURRENT_USER
  // Reads and records how the value is now, before it is written.
  bool ValueChanged(const std::string& key, const std::string& name);

  // The install is complete: the record that says so, then the copies kept
  // for a roll-back and the journal itself go. False when the record could
  // not be written (the install is then rolled back instead).
  bool Commit();
  // Takes every recorded change back, newest first. Returns what could not be
  // restored or removed, empty when the state before is back; the journal
  // then keeps only those, for the next start to try again.
  Lines RollBack();

  // A free name beside path for a copy of it ("CV.dbc" -> "CV.dbc.~cv1").
  static std::string AsideName(const std::string& path);

  // Fault injection for tests: the hook sees each record's number before it
  // is written (written false) and after (true); false before makes the
  // record fail. A hook that throws stops the install where it stands, as
  // a killed process would.
  using RecordHook = std::function<bool(size_t record, bool written)>;
  static void SetRecordHook(RecordHook hook);

 private:
  bool Write(const JournalRecord& record);

  std::string path_;
  DurableFile file_;
  std::vector<JournalRecord> records_;
};

struct Recovery {
  bool found = false;      // a journal was there
  bool committed = false;  // its install had completed; only copies were left
  Lines left;              // what could not be taken back
};
// Finishes the journal that a run which was killed left at path: rolls its
// changes back or, if it had committed, removes what it kept for that. Call
// it before anything else, holding the one-at-a-time mutex.
Recovery RecoverInterruptedInstall(const std::string& path);
