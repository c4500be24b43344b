// The rollback journal of an operation. Before an operation writes into the
// file, it appends the journal behind the file's bytes: every write it is about
// to make, in the order it makes them, with the old and the new bytes as far as
// the old file reached and a hash of the new bytes behind that, and the file's
// old and new length. The operation is done when the file is cut back to its
// new length, which takes the journal away. Bytes behind the free-list area are
// never read, so a journal there changes nothing for any reader of the format.
//
// A commit writes in three phases, each on the disk before the next begins:
// the new blocks and a free list without this operation's releases; the
// header and the root cell, which switch the file to the new records; the
// free list with the releases. A journal found at the end of a file when it is
// opened belongs to a commit that stopped in one of them, or to a file that a
// program knowing no journals (the client) wrote since: Judge tells which.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

class DbStorage;

enum class CommitPhase : uint32_t {
  Blocks = 0,    // space no record of the old file uses
  Switch = 1,    // the header and the root cell: old or new, one unit each
  Releases = 2,  // the free list again, now with the blocks the old records held
};

struct JournalRange {
  int64_t offset = 0;
  int64_t length = 0;  // the bytes the operation writes here
  CommitPhase phase = CommitPhase::Blocks;
  // The part inside the old file (all of it in the last phase): the bytes
  // there before this write and the ones it writes, whole.
  std::string before;
  std::string after;
  // The new bytes behind the old end, which the roll-back cuts away: their
  // hash is enough to tell whether they all arrived.
  uint64_t tailHash = 0;
};

struct Journal {
  int64_t oldLength = 0;
  int64_t newLength = 0;
  std::vector<JournalRange> ranges;  // in the order they are written
};

// The journal of writing bytes at offset into a file of oldLength bytes, whose
// bytes there are before (as far as the file reached; in the last phase, all
// of them, as the earlier phases leave them).
JournalRange MakeRange(int64_t offset, const std::string& bytes, std::string before,
                       int64_t oldLength, CommitPhase phase);

// Header, ranges, a hash of both, and a trailer (the journal's length and a
// magic) that makes it found from the end of the file.
std::string EncodeJournal(const Journal& journal);
// The whole journal that ends a file of length bytes, and its size; false
// when there is none. A journal cut short while it was written has no trailer
// or fails its hash.
bool FindJournal(DbStorage& file, int64_t length, Journal& journal, int64_t& size);

enum class JournalVerdict {
  // Every range holds its new bytes: the operation got as far as its last
  // write. Cutting the journal away finishes it.
  Finished,
  // The file is a state the commit's own order can leave: the phases before
  // one whole, that one part-way, the later ones not begun. Its old bytes
  // put the file back.
  Interrupted,
  // Anything else: someone wrote to the file since. Rolling back would
  // destroy that writer's work; only the journal goes.
  Overtaken,
};

// Reads the ranges of a file of length bytes that ends in the journal of size
// bytes. A range that cannot be read counts as overtaken.
JournalVerdict Judge(const Journal& journal, DbStorage& file, int64_t length, int64_t size);
// Writes the old bytes back, the phases in reverse order, and cuts the file to
// its old length; with sync, each phase reaches the disk before the one before
// it is undone, and everything before the cut. Stops at the first failure,
// leaving the journal for the next opener.
bool RollBack(const Journal& journal, DbStorage& file, bool sync);
