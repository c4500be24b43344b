#include "db/zlib_memory.h"

#include <cstdlib>
#include <vector>

namespace {

// One deflate and one inflate stream's blocks, with room to spare.
const size_t kCacheLimit = 1 << 20;
// The block's size sits in front of it; 16 keeps zlib's blocks aligned.
const size_t kHeader = 16;

struct Cache {
  std::vector<void*> blocks;  // each starts with its size
  size_t bytes = 0;
  ~Cache() {
    for (void* b : blocks) std::free(b);
  }
};

thread_local Cache t_cache;

size_t SizeOf(void* block) { return *static_cast<size_t*>(block); }

}  // namespace

voidpf ZlibAlloc(voidpf, uInt items, uInt size) {
  const size_t n = static_cast<size_t>(items) * size;
  std::vector<void*>& blocks = t_cache.blocks;
  for (size_t i = blocks.size(); i-- > 0;) {
    if (SizeOf(blocks[i]) != n) continue;
    void* block = blocks[i];
    blocks.erase(blocks.begin() + i);
    t_cache.bytes -= n;
    return static_cast<char*>(block) + kHeader;
  }
  void* block = std::malloc(n + kHeader);
  if (!block) return Z_NULL;
  *static_cast<size_t*>(block) = n;
  return static_cast<char*>(block) + kHeader;
}

void ZlibFree(voidpf, voidpf address) {
  if (!address) return;
  void* block = static_cast<char*>(address) - kHeader;
  const size_t n = SizeOf(block);
  if (t_cache.bytes + n > kCacheLimit) {
    std::free(block);
    return;
  }
  t_cache.blocks.push_back(block);
  t_cache.bytes += n;
}

size_t ZlibCachedBytes() { return t_cache.bytes; }
