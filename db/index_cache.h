// What one thread keeps of a database file between operations: the indexes it
// read or wrote, as stored and as parsed, and the blocks the file's tree names.
// Inflating and parsing a large index is most of what an operation costs; a
// kept index is used again only when the bytes of its record in the file are
// still, byte for byte, the ones it was parsed from, compared under the
// operation's lock. The file's modification time cannot stand in for that
// comparison: it moves in steps of milliseconds (seconds on FAT), so a write
// that follows ours closely may leave it as it was.
//
// The live blocks are used again only when, besides, the header, the root
// cell, the free-list area and every index record of the tree are unchanged. A
// writer of the format cannot change which blocks are live without changing one
// of them: every allocation and every release rewrites the free-list area, and
// a block put back in the same place with the same size is the same block.
#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

struct IndexEntry {
  std::string key;
  int32_t position;
};
using EntryList = std::vector<IndexEntry>;

struct CachedIndex {
  std::string block;                        // size field and payload, as stored
  std::shared_ptr<const EntryList> entries;  // never changed once kept
  size_t bytes = 0;                          // what keeping it costs, roughly
};

// A block of the tree: its start (the size field) and its total size.
struct LiveBlock {
  int64_t start;
  int64_t size;
};

struct FileCache {
  void Keep(int32_t position, std::string block, std::shared_ptr<const EntryList> entries);
  void Forget(int32_t position);

  std::string identity;  // the file's system identity when the cache was filled
  std::map<int32_t, CachedIndex> indexes;  // by payload position
  size_t indexBytes = 0;
  // Valid only with haveLive: the blocks, sorted by start; the index records
  // among them; and the bytes besides those that they were found from.
  bool haveLive = false;
  std::vector<LiveBlock> live;
  std::vector<int32_t> treeIndexes;
  std::string head;
};

// The cache of fileName for this thread, emptied when identity differs from
// the one it was filled under; a few files are kept, the least used go first.
FileCache& CacheFor(const std::string& fileName, const std::string& identity);
// The bytes the cache of this thread holds.
size_t CachedIndexBytes();
// Empties this thread's cache (the benchmarks measure the engine without it).
void ForgetCachedIndexes();
