// The rollback journal of an operation. Before an operation writes into the
// file, it appends the journal behind the file's bytes: the old bytes of every
// range it is about to write, the start of the new ones, and the file's old
// and new length. The operation is done when the file is cut back to its new length,
// which takes the journal away. A journal found at the end of a file when it
// is opened is an operation that stopped half-way: its old bytes put the file
// back. Bytes behind the free-list area are never read, so a journal there
// changes nothing for any reader of the format.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

class DbStorage;

struct JournalRange {
  int64_t offset = 0;
  std::string before;  // the old bytes, only as far as the old file reached
  std::string after;   // the first of the new bytes, up to kCheckedBytes
};

// How much of a range's new bytes the journal keeps: enough to tell the file
// as the operation left it from a file someone else wrote since.
constexpr size_t kCheckedBytes = 64;

struct Journal {
  int64_t oldLength = 0;
  int64_t newLength = 0;
  std::vector<JournalRange> ranges;
};

// Header, ranges, an Adler-32 of both, and a trailer (the journal's length and a
// magic) that makes it found from the end of the file.
std::string EncodeJournal(const Journal& journal);
// The whole journal that ends a file of length bytes, and its size; false
// when there is none. A journal cut short while it was written has no trailer
// and never let a byte of the operation into the file.
bool FindJournal(DbStorage& file, int64_t length, Journal& journal, int64_t& size);

// Whether the file is still the one the journal was written for: the journal
// lies at the new length, and the start of every range holds, byte by byte,
// its old or its new value. A file that someone changed since must not be
// rolled back.
bool JournalFits(const Journal& journal, DbStorage& file, int64_t length, int64_t size);
// Writes the old bytes back and cuts the file to its old length.
bool RollBack(const Journal& journal, DbStorage& file);
