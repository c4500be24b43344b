// Taking one journal record back (docs/install-recovery.md, rules 6 to 12).
// Every undo first looks whether its change is already taken back, so any
// undo may run again after a kill; nothing out of reach is touched.
#pragma once
#include <set>
#include <string>
#include <vector>

#include "common/journal_records.h"
#include "sys/lines.h"

class JournalUndo {
 public:
  // records: the whole journal, bounds first.
  explicit JournalUndo(const std::vector<JournalRecord>& records);

  // Takes record back; true when its change is undone or was never made.
  // What stays is added to left.
  bool Undo(const JournalRecord& record, Lines* left) const;
  // After a commit: removes the copy or scratch file that record names, if
  // it names one; false, with it added to left, when it stays.
  bool RemoveCopy(const JournalRecord& record, Lines* left) const;

 private:
  bool OurFile(const std::string& path) const;

  std::set<std::string> notOurs_;  // files another program made, folded
  std::set<std::string> kept_;     // files with a kept copy, folded
  std::set<std::string> copies_;   // the kept copies themselves, folded
};
