// A read-only look at a whole database file: the tree of indexes and records,
// and every structural fault with its offset. It reads without the engine, so
// it can judge what the engine wrote; cvdb's dump and check print it. One
// record is in memory at a time; what is kept per entry is bounded.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

struct DbFault {
  std::string what;
  int64_t offset;
};

// One entry of an index, in depth-first entry order.
struct DbNode {
  int depth = 0;  // 0 for the entries of the root index
  std::string key;  // the first kKeyKept bytes
  size_t keyLength = 0;
  int32_t position = -1;  // -1: an entry without record
  int kind = -1;          // 1 index, 2 data; -1 without a readable record
  int32_t storedSize = 0;
  int32_t unpackedSize = 0;
  bool compressed = false;
  int keyCount = 0;   // an index's entries
  std::string bytes;  // a data record's unpacked bytes (or their start)
};

constexpr size_t kKeyKept = 64;

struct DbInspection {
  int64_t length = 0;
  int32_t rootCell = -1;
  int32_t dataEnd = 0;
  int32_t rootIndex = -1;  // the root cell's value
  int rootKeyCount = 0;
  std::vector<std::pair<int32_t, int32_t>> freeExtents;  // block start, size
  int64_t liveBytes = 0;  // blocks reached from the root cell, the cell included
  std::vector<DbNode> nodes;  // only when no visitor is given
  std::vector<DbFault> faults;  // in the order found: header, free list, tree, overlaps

  bool Sound() const { return faults.empty(); }
  // "what (offset N)" of the first fault; empty when sound.
  std::string FirstFault() const;
};

// Reads count bytes at offset; false when they cannot be had.
using DbReader = std::function<bool(int64_t offset, void* out, size_t count)>;
// Gets each entry as the walk reaches it; bytes only live during the call.
using DbVisitor = std::function<void(const DbNode&)>;

// A file held in memory; every node is kept, with its bytes.
DbInspection InspectDatabase(const std::string& bytes);
// A file of length bytes read through read; nodes go to visit, not kept, each
// with at most the first keepData bytes of its record.
DbInspection InspectDatabase(int64_t length, const DbReader& read, const DbVisitor& visit,
                             size_t keepData);
