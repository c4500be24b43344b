// The rollback journal beside a database file ("<file>-journal"). Before an
// operation writes into the file, the journal takes the old and the new bytes
// of every range it is about to write and the file's old length; it is deleted
// when the file holds the new bytes. A journal found when a file is opened is
// an operation that stopped half-way: its old bytes put the file back.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

class DbStorage;

struct JournalRange {
  int64_t offset = 0;
  std::string before;  // the old bytes, only as far as the old file reached
  std::string after;
};

struct Journal {
  int64_t oldLength = 0;
  int64_t newLength = 0;
  std::vector<JournalRange> ranges;
};

std::string JournalName(const std::string& fileName);

// Header, ranges and a CRC-32 of everything before it.
std::string EncodeJournal(const Journal& journal);
// False for anything but a whole journal: a journal cut short while it was
// written never let a byte reach the file.
bool DecodeJournal(const std::string& bytes, Journal& journal);

// Whether the file is still the one the journal was written for: between the
// old and the new length, and every journalled byte holding its old or its new
// value. A file that someone changed since must not be rolled back.
bool JournalFits(const Journal& journal, DbStorage& file);
// Writes the old bytes back and cuts the file to its old length.
bool RollBack(const Journal& journal, DbStorage& file);
