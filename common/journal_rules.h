// What an install journal may hold (docs/install-recovery.md, rules 3 and 16):
// its bounds, and the records that lie within them. Setup writes no record
// that fails these checks, and the recovery acts on no journal that holds one.
#pragma once
#include <string>
#include <vector>

#include "common/journal_records.h"

struct JournalBounds {
  std::string destination;  // a full path, without its trailing backslash
  std::string groupFolder;  // empty without a group
  std::string clientKey;    // under HKEY_CURRENT_USER
  std::string appsKey;
};

JournalRecord BoundsRecord(const JournalBounds& bounds);

// Why record cannot stand in a journal of these bounds, in words ("" when it
// can): outside them, or not a record of a known form.
std::string RecordFault(const JournalRecord& record, const JournalBounds& bounds);

// The bounds that records name first, and why the records cannot be trusted
// ("" when they can): no bounds first, a record RecordFault refuses, a mark
// for a record that is not before it.
std::string JournalFault(const std::vector<JournalRecord>& records, JournalBounds* bounds);

// Kept copies: "<path>.~cvN", N from 1 to kMaxCopyNumber.
constexpr int kMaxCopyNumber = 999;
std::string CopyName(const std::string& path, int number);
// Whether copy is path's copy name for some N, exactly.
bool IsCopyOf(const std::string& copy, const std::string& path);
// Whether a file name ends like a copy's: ".~cv" and digits, in any case.
bool IsCopyName(const std::string& name);

// A drive ("C:") or share ("\\server\share") followed by names the file
// system holds as they are written: no ".", "..", device or trailing dot.
bool IsPlainFullPath(const std::string& path);
