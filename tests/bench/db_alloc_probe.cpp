#include "tests/bench/db_alloc_probe.h"

#include <malloc.h>

#include <atomic>
#include <cstdint>

// glibc's own entry points: this file replaces malloc and friends for the whole
// benchmark process (shared libraries included) and passes on to them.
extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void __libc_free(void*);
void* __libc_memalign(size_t, size_t);
}

namespace {

std::atomic<int64_t> g_held{0};
std::atomic<int64_t> g_peak{0};
int64_t g_base = 0;

void Count(void* p, int sign) {
  if (!p) return;
  const int64_t size = sign * static_cast<int64_t>(malloc_usable_size(p));
  const int64_t now = g_held.fetch_add(size) + size;
  int64_t peak = g_peak.load(std::memory_order_relaxed);
  while (now > peak && !g_peak.compare_exchange_weak(peak, now)) {
  }
}

}  // namespace

extern "C" {
void* malloc(size_t n) {
  void* p = __libc_malloc(n);
  Count(p, 1);
  return p;
}
void* calloc(size_t n, size_t size) {
  void* p = __libc_calloc(n, size);
  Count(p, 1);
  return p;
}
void* realloc(void* old, size_t n) {
  Count(old, -1);
  void* p = __libc_realloc(old, n);
  Count(p ? p : old, 1);
  return p;
}
void free(void* p) {
  Count(p, -1);
  __libc_free(p);
}
void* memalign(size_t alignment, size_t n) {
  void* p = __libc_memalign(alignment, n);
  Count(p, 1);
  return p;
}
void* aligned_alloc(size_t alignment, size_t n) { return memalign(alignment, n); }
int posix_memalign(void** out, size_t alignment, size_t n) {
  *out = memalign(alignment, n);
  return *out ? 0 : 12;  // ENOMEM
}
}

void MarkHeap() {
  g_base = g_held.load();
  g_peak.store(g_base);
}

size_t PeakSinceMark() { return static_cast<size_t>(g_peak.load() - g_base); }
