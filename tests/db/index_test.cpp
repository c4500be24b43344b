// Indexes: lookup, writing and deleting records, storing up to the root cell.
#include "db/FileMan1.h"
#include "db/checker.h"
#include "tests/db/db_test_util.h"

namespace {

class Index : public DbTest {
 protected:
  void Write(const std::string& key, const std::string& bytes) {
    TFileManager manager(db);
    TFMindex root(manager, nullptr, "");
    TDataBuf buf(bytes.data(), static_cast<int32_t>(bytes.size()));
    root.WriteRecord(key, &buf, true);
    ASSERT_EQ(manager.FirstError, 0);
  }
};

TEST_F(Index, NewKeysAreAppendedAndFoundIgnoringCase) {
  Write("default", "x");
  Write("Initialization", "y");
  int32_t rootPosition;
  {
    TFileManager manager(db);
    TFMindex root(manager, nullptr, "");
    rootPosition = root.Position;
    ASSERT_EQ(root.Count(), 2);
    EXPECT_EQ(root.Key(0), "default");
    EXPECT_EQ(root.Key(1), "Initialization");
    EXPECT_EQ(root.Lookup("DEFAULT"), root.PositionAt(0));
    EXPECT_EQ(root.Lookup("initialization"), root.PositionAt(1));
    EXPECT_EQ(root.Lookup("missing"), -1);
    EXPECT_EQ(root.IndexOf("DeFaUlT"), 0);
    EXPECT_EQ(root.RecordKind("default"), 2);
    EXPECT_EQ(root.RecordKind("missing"), -1);
    EXPECT_EQ(root.RecordSize("missing"), 0);
    EXPECT_EQ(root.RecordSize("default"), static_cast<int32_t>(Deflate("x").size()));
  }
  // The root cell names the root index record.
  EXPECT_EQ(Le32At(ReadBytes(db), 50), rootPosition);
}

// The record a rewrite replaces stays whole until the rewrite commits; its
// space is the next rewrite's.
TEST_F(Index, ARewriteTakesTheSpaceOfTheRecordBeforeLast) {
  Write("a", "first version");
  auto positionOfA = [this] {
    TFileManager manager(db);
    TFMindex root(manager, nullptr, "");
    return root.Lookup("a");
  };
  const int32_t first = positionOfA();
  Write("a", "other version");  // same size
  const int32_t second = positionOfA();
  EXPECT_NE(second, first);
  const int32_t dataEnd = Le32At(ReadBytes(db), 42);
  Write("a", "third version");
  EXPECT_EQ(positionOfA(), first);
  EXPECT_LE(Le32At(ReadBytes(db), 42), dataEnd);
  TFileManager manager(db);
  TFMindex root(manager, nullptr, "");
  TDataBuf buf;
  ASSERT_NE(root.ReadRecord("a", &buf), nullptr);
  EXPECT_EQ(buf.Text(), "third version");
  EXPECT_EQ(buf.Kind, 2);
}

TEST_F(Index, AnEmptyIndexIsStoredAsOneNulByte) {
  Lines none;
  ASSERT_EQ(PutRecordStrings(KeyPath({"default", "message"}), nullptr, db), 0);
  DbInspection in = InspectDatabase(ReadBytes(db));
  ASSERT_TRUE(in.Sound()) << in.FirstFault();
  ASSERT_EQ(in.nodes.size(), 1u);
  EXPECT_EQ(in.nodes[0].key, "default");
  EXPECT_EQ(in.nodes[0].kind, 1);
  EXPECT_EQ(in.nodes[0].keyCount, 0);
  EXPECT_EQ(in.nodes[0].unpackedSize, 1);
}

TEST_F(Index, DeletingAnAbsentKeyKeepsTheEntries) {
  Write("a", "1");
  Write("b", "2");
  TFileManager manager(db);
  TFMindex root(manager, nullptr, "");
  EXPECT_EQ(root.WriteRecord("zzz", nullptr, true), -1);
  ASSERT_EQ(root.Count(), 2);
  EXPECT_EQ(root.Key(1), "b");
  int32_t old = root.Lookup("a");
  EXPECT_EQ(root.WriteRecord("A", nullptr, true), old);
  ASSERT_EQ(root.Count(), 1);
  EXPECT_EQ(root.Key(0), "b");
  EXPECT_EQ(manager.FirstError, 0);
}

TEST_F(Index, DataRecordsCarryTheirIndexsPositionsAsTheyStoodBefore) {
  Write("a", "1");
  Write("b", "2");
  int32_t a, oldB, newB;
  {
    TFileManager manager(db);
    TFMindex root(manager, nullptr, "");
    a = root.Lookup("a");
    oldB = root.Lookup("b");
    TDataBuf buf("22", 2);
    newB = root.WriteRecord("b", &buf, true);
  }
  const std::string bytes = ReadBytes(db);
  int32_t stored = Le32At(bytes, newB + 4);
  EXPECT_EQ(Le32At(bytes, newB + 12 + stored), a);
  EXPECT_EQ(Le32At(bytes, newB + 12 + stored + 4), oldB);
  EXPECT_EQ(Le32At(bytes, newB - 4), 16 + stored + 8);  // block sized exactly
}

}  // namespace
