// A caller's bytes must not outlive the buffer that held them: they are
// zeroed before the memory goes back, also when compression replaces them.
// This binary watches the frees itself, so it has its own operator delete[].
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "db/data_buf.h"

namespace {
const void* g_watched = nullptr;
size_t g_watchedSize = 0;
std::vector<unsigned char> g_seen;  // the watched block's bytes as it was freed
}  // namespace

void* operator new[](size_t n) {
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}

void operator delete[](void* p) noexcept {
  if (p && p == g_watched) {
    const unsigned char* bytes = static_cast<const unsigned char*>(p);
    g_seen.assign(bytes, bytes + g_watchedSize);
    g_watched = nullptr;
  }
  std::free(p);
}

void operator delete[](void* p, size_t) noexcept { operator delete[](p); }

namespace {

bool AllZero(const std::vector<unsigned char>& bytes) {
  for (unsigned char b : bytes)
    if (b) return false;
  return true;
}

TEST(Wipe, CompressionZeroesTheCallersBytesBeforeFreeingThem) {
  const std::string secret = "From: someone@example.org\r\nHost: smtp.example.org\r\n";
  TDataBuf buffer;
  buffer.SetData(secret.data(), static_cast<int32_t>(secret.size()));
  g_seen.clear();
  g_watched = buffer.Data();
  g_watchedSize = secret.size();
  ASSERT_EQ(buffer.Compress(), 0);
  ASSERT_EQ(g_seen.size(), secret.size()) << "the plain bytes were not freed";
  EXPECT_TRUE(AllZero(g_seen));
}

TEST(Wipe, ReplacingWipedBytesZeroesThemToo) {
  const std::string secret = "a caller's line";
  TDataBuf buffer;
  buffer.SetData(secret.data(), static_cast<int32_t>(secret.size()));
  g_seen.clear();
  g_watched = buffer.Data();
  g_watchedSize = secret.size();
  buffer.ReplaceData("x", 1);
  ASSERT_EQ(g_seen.size(), secret.size());
  EXPECT_TRUE(AllZero(g_seen));
}

TEST(Wipe, BytesThatNeverCameFromACallerAreFreedAsTheyAre) {
  TDataBuf buffer;
  buffer.ReplaceData("stored", 6);
  g_seen.clear();
  g_watched = buffer.Data();
  g_watchedSize = 6;
  buffer.Clear();
  ASSERT_EQ(g_seen.size(), 6u);
  EXPECT_EQ(std::string(g_seen.begin(), g_seen.end()), "stored");
}

}  // namespace
