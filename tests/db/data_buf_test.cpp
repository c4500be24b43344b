// Record buffers: filling, and the deflate and inflate round trip.
#include <zlib.h>

#include <random>

#include "db/FileMan1.h"
#include "db/zlib_memory.h"
#include "tests/db/db_test_util.h"

namespace {

std::string BytesOf(const TDataBuf& buf) {
  return std::string(reinterpret_cast<const char*>(buf.Data()), buf.Size());
}

TEST(DataBuf, SetDataWithoutSourceFillsWithZeroCharacters) {
  TDataBuf buf;
  buf.SetData(nullptr, 3);
  ASSERT_NE(buf.Data(), nullptr);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(buf.Data()), 4), std::string("000\0", 4));
  EXPECT_EQ(buf.Size(), 3);
  EXPECT_EQ(buf.UnpackedSize, 3);
  EXPECT_TRUE(buf.Wipe);
  buf.Clear();
  EXPECT_EQ(buf.Data(), nullptr);
  EXPECT_EQ(buf.Size(), 0);
}

TEST(DataBuf, TextStopsAtTheFirstNul) {
  TDataBuf buf(std::string("ab\0cd", 5).data(), 5);
  EXPECT_EQ(buf.Text(), "ab");
  EXPECT_EQ(TDataBuf().Text(), "");
}

TEST(DataBuf, CompressGivesTheFormatsDeflateStreamAndInflatesBack) {
  std::mt19937 random(7);
  for (int size : {0, 1, 7, 100, 1000, 70000}) {
    std::string bytes(size, '\0');
    // Half random, half repeated: both incompressible and compressible runs.
    for (int i = 0; i < size; ++i) bytes[i] = i < size / 2 ? static_cast<char>(random()) : 'a';
    TDataBuf buf(bytes.data(), size);
    ASSERT_EQ(buf.Compress(), Z_OK) << size;
    EXPECT_EQ(buf.Compressed, 1);
    EXPECT_EQ(buf.UnpackedSize, size);
    EXPECT_EQ(BytesOf(buf), Deflate(bytes)) << size;
    ASSERT_EQ(buf.Decompress(), Z_OK) << size;
    EXPECT_EQ(buf.Compressed, 0);
    EXPECT_EQ(buf.Size(), size);
    EXPECT_EQ(BytesOf(buf), bytes);
  }
}

// The streams' working blocks are kept for the next record, but no more than
// the blocks of one deflate and one inflate stream pile up.
TEST(DataBuf, TheZlibBlockCacheStaysBounded) {
  for (int i = 0; i < 20; ++i) {
    std::string bytes(1000 + i, 'x');
    TDataBuf buf(bytes.data(), static_cast<int32_t>(bytes.size()));
    ASSERT_EQ(buf.Compress(), Z_OK);
    ASSERT_EQ(buf.Decompress(), Z_OK);
  }
  EXPECT_GT(ZlibCachedBytes(), 256u * 1024);  // a deflate stream's blocks
  EXPECT_LE(ZlibCachedBytes(), 1u << 20);
}

TEST(DataBuf, FailedDecompressionReportsAndKeepsTheBytes) {
  ReportCatcher catcher;
  TDataBuf buf("not a zlib stream", 17);
  buf.Compressed = 1;
  buf.UnpackedSize = 40;
  EXPECT_NE(buf.Decompress(), Z_OK);
  EXPECT_EQ(BytesOf(buf), "not a zlib stream");
  EXPECT_EQ(buf.Compressed, 1);
  ASSERT_EQ(ReportCatcher::Reports().size(), 1u);
  EXPECT_EQ(ReportCatcher::Reports()[0].caption, "Inflate Error");
  EXPECT_EQ(ReportCatcher::Reports()[0].text.rfind("Decompression Error: ", 0), 0u);
  EXPECT_FALSE(ReportCatcher::Reports()[0].ownedByMainWindow);
}

TEST(DataBuf, UnpackedSizeBeyondWhatTheStreamCanHoldIsRefused) {
  ReportCatcher catcher;
  std::string stream = Deflate("abc");
  TDataBuf buf(stream.data(), static_cast<int32_t>(stream.size()));
  buf.Compressed = 1;
  buf.UnpackedSize = 0x7FFFFFFF;  // would be a 2 GB allocation
  EXPECT_EQ(buf.Decompress(), Z_DATA_ERROR);
  EXPECT_EQ(buf.Compressed, 1);
  buf.UnpackedSize = -5;
  EXPECT_EQ(buf.Decompress(), Z_DATA_ERROR);
  EXPECT_EQ(BytesOf(buf), stream);
}

TEST(DataBuf, TooShortUnpackedSizeFailsWithoutTouchingTheBuffer) {
  ReportCatcher catcher;
  std::string stream = Deflate("abcdef");
  TDataBuf buf(stream.data(), static_cast<int32_t>(stream.size()));
  buf.Compressed = 1;
  buf.UnpackedSize = 3;
  buf.Decompress();
  EXPECT_EQ(buf.Compressed, 1);
  EXPECT_EQ(BytesOf(buf), stream);
}

TEST(DataBuf, ZlibErrorTexts) {
  EXPECT_EQ(TDataBuf::ZlibErrorText(-2), "Decompression Error: Z_STREAM_ERROR");
  EXPECT_EQ(TDataBuf::ZlibErrorText(-4), "Decompression Error: Z_MEM_ERROR");
  EXPECT_EQ(TDataBuf::ZlibErrorText(-5), "Decompression Error: Z_BUF_ERROR");
  EXPECT_EQ(TDataBuf::ZlibErrorText(-6), "Decompression Error: Z_VERSION_ERROR");
  EXPECT_EQ(TDataBuf::ZlibErrorText(2), "Decompression Error: 2");
  EXPECT_EQ(TDataBuf::ZlibErrorText(-3), "Decompression Error: -3");
}

}  // namespace
