// A read-only look at a whole database file held in memory: the tree of
// indexes and records, and every structural fault with its offset. It reads
// without the engine, so it can judge what the engine wrote; cvdb's dump and
// check print it.
#pragma once
#include <cstdint>
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
  std::string key;
  int32_t position = -1;  // -1: an entry without record
  int kind = -1;          // 1 index, 2 data; -1 without a readable record
  int32_t storedSize = 0;
  int32_t unpackedSize = 0;
  bool compressed = false;
  int keyCount = 0;   // an index's entries
  std::string bytes;  // a data record's unpacked bytes
};

struct DbInspection {
  int64_t length = 0;
  int32_t rootCell = -1;
  int32_t dataEnd = 0;
  int32_t rootIndex = -1;  // the root cell's value
  int rootKeyCount = 0;
  std::vector<std::pair<int32_t, int32_t>> freeExtents;  // block start, size
  int64_t liveBytes = 0;  // blocks reached from the root cell, the cell included
  std::vector<DbNode> nodes;
  std::vector<DbFault> faults;  // in the order found: header, free list, tree, overlaps

  bool Sound() const { return faults.empty(); }
  // "what (offset N)" of the first fault; empty when sound.
  std::string FirstFault() const;
};

DbInspection InspectDatabase(const std::string& bytes);
