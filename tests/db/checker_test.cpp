// The inspector behind "cvdb check": each kind of damage is named with its offset.
#include "db/checker.h"

#include "db/FileMan1.h"
#include "tests/db/db_test_util.h"

namespace {

class Inspect : public DbTest {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    const Lines a = {"alpha"}, b = {"beta"}, c = {"gamma"};
    PutRecordStrings("one", &a, db);
    PutRecordStrings(KeyPath({"two", "three"}), &b, db);
    PutRecordStrings("four", &c, db);
    PutRecordStrings("one", nullptr, db);  // leaves a free extent
    bytes = ReadBytes(db);
    in = InspectDatabase(bytes);
  }
  std::string FaultAfter(size_t offset, int32_t value) {
    std::string damaged = bytes;
    damaged.replace(offset, 4, Le32(value));
    return InspectDatabase(damaged).FirstFault();
  }

  std::string bytes;
  DbInspection in;
};

TEST_F(Inspect, DescribesTheTree) {
  ASSERT_TRUE(in.Sound()) << in.FirstFault();
  ASSERT_EQ(in.nodes.size(), 3u);
  EXPECT_EQ(in.nodes[0].key, "two");
  EXPECT_EQ(in.nodes[0].kind, 1);
  EXPECT_EQ(in.nodes[1].key, "three");
  EXPECT_EQ(in.nodes[1].depth, 1);
  EXPECT_EQ(in.nodes[1].bytes, "beta\r\n");
  EXPECT_EQ(in.nodes[2].key, "four");
  ASSERT_FALSE(in.freeExtents.empty());
  int64_t freeBytes = 0;
  for (const auto& extent : in.freeExtents) freeBytes += extent.second;
  EXPECT_EQ(in.liveBytes + freeBytes, in.dataEnd - 46);  // the area is all accounted for
}

TEST_F(Inspect, NamesEachKindOfDamage) {
  const int32_t freeStart = in.freeExtents[0].first, freeSize = in.freeExtents[0].second;
  const int32_t list = in.dataEnd;
  const int32_t three = in.nodes[1].position, four = in.nodes[2].position;

  EXPECT_EQ(FaultAfter(42, 20), "DataEnd 20 lies outside the file (offset 42)");
  EXPECT_EQ(FaultAfter(list, 1000),
            "the free-list count 1000 does not fit the file (offset " + std::to_string(list) + ")");
  // The first free extent grown over the next (live) block.
  const size_t firstSize = list + 4 + 4 * in.freeExtents.size();
  EXPECT_EQ(FaultAfter(firstSize, freeSize + 8),
            "a free extent overlaps a live block (offset " + std::to_string(freeStart) + ")");
  // A record pointing at another's block.
  std::string damaged = bytes;
  int32_t rootList = in.rootIndex + 12 + Le32At(bytes, in.rootIndex + 4);
  damaged.replace(rootList + 4, 4, Le32(three));  // "four" now names "three"'s block
  EXPECT_EQ(InspectDatabase(damaged).FirstFault(),
            "a block is referenced twice (offset " + std::to_string(three - 4) + ")");
  EXPECT_EQ(FaultAfter(four + 8, 99),
            "the record inflates to 7 bytes, not 99 (offset " + std::to_string(four) + ")");
  EXPECT_EQ(FaultAfter(four - 4, 1 << 20).rfind("the record block's size", 0), 0u);
  damaged = bytes;
  damaged[0] = 'C';
  EXPECT_EQ(InspectDatabase(damaged).FirstFault(), "the magic does not match (offset 0)");
  EXPECT_EQ(InspectDatabase(bytes.substr(0, 49)).FirstFault(),
            "the file is shorter than its header and free-list count (offset 49)");
}

// What the engine never writes, though a reader could take it.
TEST_F(Inspect, RefusesWhatTheEngineNeverWrites) {
  const int32_t two = in.nodes[0].position, four = in.nodes[2].position;
  const int32_t fourStored = Le32At(bytes, four + 4);
  // "two" rewritten stored as is, in its own block: its text and one position.
  auto index = [&](const std::string& text) {
    std::string damaged = bytes;
    const int32_t room = Le32At(bytes, two - 4) - 16;
    std::string payload = std::string("\x01\0\0\0", 4) + Le32(room - 4) + Le32(room - 4) + text;
    payload.resize(12 + room - 4, 'x');
    damaged.replace(two, payload.size(), payload);
    return InspectDatabase(damaged).FirstFault();
  };
  const std::string at = " (offset " + std::to_string(four);
  EXPECT_EQ(index("three\r\n"), "the index text does not end in its one NUL (offset " +
                                     std::to_string(two) + ")");
  EXPECT_EQ(index(std::string("three\r\n\0x\0", 10)),
            "the index text does not end in its one NUL (offset " + std::to_string(two) + ")");
  std::string damaged = bytes;
  damaged[four + 2] = 1;
  EXPECT_EQ(InspectDatabase(damaged).FirstFault(), "the reserved bytes are not 0 (offset " +
                                                       std::to_string(four + 1) + ")");
  damaged = bytes;
  damaged[four + 3] = 2;
  EXPECT_EQ(InspectDatabase(damaged).FirstFault(),
            "the compressed flag 2 is neither 0 nor 1 (offset " + std::to_string(four + 3) + ")");
  EXPECT_EQ(FaultAfter(four + 4, fourStored + 4),
            "bytes follow the zlib stream within the stored size" + at + ")");
  const int32_t list = Le32At(bytes, four - 4) - 16 - fourStored;
  EXPECT_EQ(FaultAfter(four + 4, fourStored + list),
            "the data record's position list is missing or not whole" + at + ")");
}

TEST_F(Inspect, TouchingFreeExtentsAreAFault) {
  // Two extents that touch: the engine would have joined them.
  std::string damaged = bytes.substr(0, in.dataEnd);
  const int32_t start = in.freeExtents[0].first, size = in.freeExtents[0].second;
  damaged += Le32(2) + Le32(start) + Le32(start + 4) + Le32(4) + Le32(size - 4);
  EXPECT_EQ(InspectDatabase(damaged).FirstFault(),
            "free extent 1 touches the one before (offset " + std::to_string(start + 4) + ")");
}

}  // namespace
