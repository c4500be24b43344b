#include "db/index_cache.h"

#include <list>

namespace {

// A program uses one or two database files; the benchmarks a few more.
constexpr size_t kFiles = 4;
// Beyond this a file's cache is dropped rather than grown: indexes of that
// size cost little to inflate next to their own reading.
constexpr size_t kBytesPerFile = 32u << 20;

struct Named {
  std::string name;
  FileCache cache;
};

thread_local std::list<Named> t_files;  // most recently used first

}  // namespace

void FileCache::Keep(int32_t position, std::string block,
                     std::shared_ptr<const EntryList> entries) {
  Forget(position);
  CachedIndex& kept = indexes[position];
  kept.bytes = block.size() + entries->size() * sizeof(IndexEntry);
  kept.block = std::move(block);
  kept.entries = std::move(entries);
  indexBytes += kept.bytes;
}

void FileCache::Forget(int32_t position) {
  auto it = indexes.find(position);
  if (it == indexes.end()) return;
  indexBytes -= it->second.bytes;
  indexes.erase(it);
}

FileCache& CacheFor(const std::string& fileName, const std::string& identity) {
  auto it = t_files.begin();
  while (it != t_files.end() && it->name != fileName) ++it;
  if (it == t_files.end()) {
    if (t_files.size() == kFiles) t_files.pop_back();
    t_files.push_front(Named{fileName, FileCache()});
  } else {
    t_files.splice(t_files.begin(), t_files, it);
  }
  FileCache& cache = t_files.front().cache;
  if (cache.identity != identity || cache.indexBytes > kBytesPerFile) {
    cache = FileCache();
    cache.identity = identity;
  }
  return cache;
}

size_t CachedIndexBytes() {
  size_t bytes = 0;
  for (const Named& n : t_files)
    bytes += n.cache.indexBytes + n.cache.live.size() * sizeof(LiveBlock);
  return bytes;
}

void ForgetCachedIndexes() { t_files.clear(); }
