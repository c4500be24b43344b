// What the recovery at start found and did with a journal a stopped run left
// (docs/install-recovery.md, rules 13 to 15), and how the log and the
// message box say it.
#pragma once
#include <string>

#include "sys/lines.h"

struct Recovery {
  enum class Outcome {
    None,        // no journal
    Finished,    // one marked finished: only removed
    Committed,   // its install had completed: the copies kept for it removed
    RolledBack,  // every change taken back
    Left,        // not every change could be taken back: the journal stays
    Refused,     // a journal that cannot be trusted: nothing done, it stays
    SetAside,    // a journal that cannot be read: renamed, nothing done
  };
  Outcome outcome = Outcome::None;
  Lines left;          // Left, Committed: what stays as it should not
  std::string reason;  // Left, Refused, SetAside: why, in words
  std::string keptAs;  // SetAside: the journal's new name

  // Records no run could finish: nothing may change until they are.
  bool Unfinished() const { return outcome == Outcome::Left || outcome == Outcome::Refused; }
};

// The lines that tell the user; none when there is nothing to say.
Lines RecoveryReport(const Recovery& recovery);
