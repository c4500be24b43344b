// The rollback journal of an operation. Before an operation writes into the
// file, it appends the journal behind the file's bytes: for every range it is
// about to write, the old and the new bytes as far as the old file reached and
// a hash of the new bytes behind that, and the file's old and new length. The
// operation is done when the file is cut back to its new length, which takes
// the journal away. Bytes behind the free-list area are never read, so a
// journal there changes nothing for any reader of the format.
//
// A journal found at the end of a file when it is opened is an operation that
// stopped half-way, or a file that a program knowing no journals (the client)
// wrote since. Judge tells which, byte by byte.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

class DbStorage;

struct JournalRange {
  int64_t offset = 0;
  int64_t length = 0;  // the bytes the operation writes here
  // The part inside the old file: its old bytes and the new ones, whole.
  std::string before;
  std::string after;
  // The new bytes behind the old end, which the roll-back cuts away: their
  // hash is enough to tell whether they all arrived.
  uint64_t tailHash = 0;
};

struct Journal {
  int64_t oldLength = 0;
  int64_t newLength = 0;
  std::vector<JournalRange> ranges;
};

// The journal of writing bytes at offset into a file of oldLength bytes, whose
// old bytes there are before (as far as the file reached).
JournalRange MakeRange(int64_t offset, const std::string& bytes, std::string before,
                       int64_t oldLength);

// Header, ranges, a hash of both, and a trailer (the journal's length and a
// magic) that makes it found from the end of the file.
std::string EncodeJournal(const Journal& journal);
// The whole journal that ends a file of length bytes, and its size; false
// when there is none. A journal cut short while it was written has no trailer
// or fails its hash, and never let a byte of the operation into the file.
bool FindJournal(DbStorage& file, int64_t length, Journal& journal, int64_t& size);

enum class JournalVerdict {
  // Every range holds its new bytes: the operation got as far as its last
  // write. Cutting the journal away finishes it.
  Finished,
  // Every byte of every range holds its old or its new value, and the file's
  // length is the one the journal was written at: the operation stopped
  // half-way. Its old bytes put the file back.
  Interrupted,
  // Anything else: someone wrote to the file since. Rolling back would
  // destroy that writer's work; only the journal goes.
  Overtaken,
};

// Reads the ranges of a file of length bytes that ends in the journal of size
// bytes. A range that cannot be read counts as overtaken.
JournalVerdict Judge(const Journal& journal, DbStorage& file, int64_t length, int64_t size);
// Writes the old bytes back and cuts the file to its old length; with sync,
// the old bytes reach the disk before the cut (a cut journal can no longer
// repair a half-restored file).
bool RollBack(const Journal& journal, DbStorage& file, bool sync);
