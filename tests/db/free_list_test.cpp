// The free list in memory and on disk, and the manager's allocation steps.
#include "db/FileMan1.h"
#include "tests/db/db_test_util.h"

namespace {

TFreeList ListOf(std::vector<std::pair<int32_t, int32_t>> extents) {
  TFreeList list;
  for (auto& e : extents) list.Insert(e.first, e.second);
  return list;
}

std::vector<std::pair<int32_t, int32_t>> Extents(const TFreeList& list) {
  std::vector<std::pair<int32_t, int32_t>> out;
  for (int i = 0; i < list.Count(); ++i) out.emplace_back(list.Position(i), list.Size(i));
  return out;
}

using E = std::vector<std::pair<int32_t, int32_t>>;

TEST(FreeList, TakeCutsTheFrontOfTheFirstExtentThatFits) {
  TFreeList list = ListOf({{100, 40}});
  EXPECT_EQ(list.Take(16), 100);
  EXPECT_EQ(Extents(list), (E{{116, 24}}));
  EXPECT_EQ(list.Take(24), 116);
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.Take(8), -1);

  list = ListOf({{100, 10}, {200, 30}, {300, 50}});
  EXPECT_EQ(list.Take(29), 200);                                  // first fit, not best fit
  EXPECT_EQ(Extents(list), (E{{100, 10}, {229, 1}, {300, 50}}));  // a 1-byte remainder stays
  EXPECT_EQ(list.Take(51), -1);
  EXPECT_EQ(Extents(list), (E{{100, 10}, {229, 1}, {300, 50}}));
}

TEST(FreeList, AddJoinsTouchingExtents) {
  TFreeList list = ListOf({{100, 50}, {230, 10}});
  list.Add(200, 30);  // touches the next extent: it grows downwards
  EXPECT_EQ(Extents(list), (E{{100, 50}, {200, 40}}));

  list = ListOf({{100, 50}, {180, 20}});
  list.Add(150, 30);  // closes the gap: one extent
  EXPECT_EQ(Extents(list), (E{{100, 100}}));

  list = ListOf({{100, 50}});
  list.Add(300, 20);
  EXPECT_EQ(Extents(list), (E{{100, 50}, {300, 20}}));
  list.Add(60, 10);
  EXPECT_EQ(Extents(list), (E{{60, 10}, {100, 50}, {300, 20}}));
}

TEST(FreeList, InsertKeepsAnEqualPositionInFront) {
  TFreeList list = ListOf({{100, 1}});
  list.Insert(100, 2);
  EXPECT_EQ(Extents(list), (E{{100, 1}, {100, 2}}));
}

TEST(FreeList, FaultNamesExtentsOutsideOrOverlapping) {
  EXPECT_EQ(ListOf({{46, 4}, {60, 10}}).Fault(46, 70), "");
  EXPECT_NE(ListOf({{40, 10}}).Fault(46, 100), "");            // in the header
  EXPECT_NE(ListOf({{50, 60}}).Fault(46, 100), "");            // past DataEnd
  EXPECT_NE(ListOf({{50, 20}, {60, 10}}).Fault(46, 100), "");  // overlapping
  EXPECT_NE(ListOf({{50, 0}}).Fault(46, 100), "");             // no size
  EXPECT_NE(ListOf({{50, -8}}).Fault(46, 100), "");
}

class Allocation : public DbTest {};

TEST_F(Allocation, FirstAllocationOfANewFileIsTheRootCell) {
  TFileManager manager(db);
  EXPECT_EQ(manager.Allocate(0), -1);
  EXPECT_EQ(manager.Allocate(4), 50);
  EXPECT_EQ(manager.RootCell, 50);
  EXPECT_EQ(manager.DataEnd, 54);
  EXPECT_EQ(manager.Allocate(10), 58);
  EXPECT_EQ(manager.RootCell, 50);
  EXPECT_EQ(manager.DataEnd, 68);
}

// Released space goes to the free list when the operation commits, and is
// handed out by the next one: until the commit, the file's records must stay
// whole for whoever reads it without the journal.
TEST_F(Allocation, ReleasedBlocksAreReusedByTheNextOperation) {
  int32_t a, b, c;
  {
    TFileManager manager(db);
    const int32_t cell = manager.Allocate(4);
    ASSERT_TRUE(manager.SeekTo(cell) && manager.WriteInt(-1));  // an empty tree
    a = manager.Allocate(20);
    b = manager.Allocate(20);
    c = manager.Allocate(20);
    manager.Release(b);
    EXPECT_EQ(manager.Error, 0);
    manager.Release(a);
    EXPECT_EQ(manager.FreeList.Count(), 0);
    EXPECT_EQ(manager.Allocate(20), c + 24);  // not into a or b
    ASSERT_TRUE(manager.Commit());
    EXPECT_EQ(Extents(manager.FreeList), (E{{a - 4, 48}}));  // a joined b's extent
  }
  {
    TFileManager manager(db);  // the free list comes back from the file
    EXPECT_EQ(Extents(manager.FreeList), (E{{a - 4, 48}}));
    EXPECT_EQ(manager.Allocate(20), a);  // first fit at the lowest position
    EXPECT_EQ(Extents(manager.FreeList), (E{{b - 4, 24}}));
    EXPECT_EQ(manager.DataEnd, c + 44);
  }
}

// In a new file at once. In a file that holds records the block first joins
// the free list, where it was when the old records were the file's, and the
// next commit moves DataEnd back onto it.
TEST_F(Allocation, ReleasingTheLastBlockMovesDataEndBack) {
  int32_t a, last;
  {
    TFileManager manager(db);
    const int32_t cell = manager.Allocate(4);
    ASSERT_TRUE(manager.SeekTo(cell) && manager.WriteInt(-1));  // an empty tree
    a = manager.Allocate(20);
    last = manager.Allocate(30);
    manager.Release(last);
    ASSERT_TRUE(manager.Commit());
    EXPECT_EQ(manager.DataEnd, a + 20);
    EXPECT_EQ(manager.FreeList.Count(), 0);
    last = manager.Allocate(30);  // behind the free-list area the file has now
    EXPECT_EQ(last, a + 20 + 4 + 4);
    ASSERT_TRUE(manager.Commit());
    manager.Release(last);
    ASSERT_TRUE(manager.Commit());
    EXPECT_EQ(manager.DataEnd, last + 30);
    EXPECT_EQ(Extents(manager.FreeList), (E{{a + 20, 4 + 34}}));  // with the area left behind
  }
  const std::string before = ReadBytes(db);
  {
    TFileManager manager(db);
    ASSERT_TRUE(manager.SeekTo(manager.RootCell) && manager.WriteInt(-1));
  }
  const std::string bytes = ReadBytes(db);
  EXPECT_EQ(bytes.size(), before.size());  // never shortened
  EXPECT_EQ(Le32At(bytes, 42), a + 20);
  EXPECT_EQ(Le32At(bytes, a + 20), 0);  // the free list now starts there, empty
  ExpectSound(db);
}

// Near the 2^31 limit a block still comes from a free extent that holds it;
// only one appended past the limit is refused.
TEST_F(Allocation, TheFreeListIsTriedBeforeThePositionLimit) {
  int32_t a;
  {
    TFileManager manager(db);
    TFMindex root(manager, nullptr, "");
    a = manager.Allocate(20);
    manager.Allocate(20);
    manager.Release(a);
    ASSERT_TRUE(manager.Commit());
  }
  TFileManager manager(db);
  ASSERT_EQ(Extents(manager.FreeList), (E{{a - 4, 24}}));
  manager.DataEnd = INT32_MAX - 8;
  EXPECT_EQ(manager.Allocate(20), a);
  EXPECT_EQ(manager.Error, 0);
  EXPECT_EQ(manager.Allocate(20), -1);
  EXPECT_EQ(manager.Error, 1);
}

TEST_F(Allocation, RootCellAndMinusOneAreNeverReleased) {
  {
    TFileManager manager(db);
    manager.Allocate(4);
    manager.Allocate(8);
  }
  const std::string before = ReadBytes(db);
  {
    TFileManager manager(db);
    manager.Release(-1);
    manager.Release(manager.RootCell);
    EXPECT_EQ(manager.Error, 0);
    EXPECT_EQ(manager.FreeList.Count(), 0);
  }
  EXPECT_EQ(ReadBytes(db), before);
}

// A block whose size field does not describe a live block stays out of the
// free list: otherwise the next allocation would hand out live bytes.
TEST_F(Allocation, ReleaseRefusesBlocksThatDoNotFit) {
  TFileManager manager(db);
  manager.Allocate(4);
  int32_t a = manager.Allocate(20);
  int32_t b = manager.Allocate(20);
  manager.Allocate(20);
  manager.Release(a);
  manager.Release(a);  // twice in one operation
  EXPECT_EQ(manager.Error, 2);
  manager.FirstError = 0;
  ASSERT_TRUE(manager.Commit());
  ASSERT_EQ(manager.FreeList.Count(), 1);

  manager.Release(a);  // again once it is free
  EXPECT_EQ(manager.Error, 2);
  EXPECT_EQ(manager.FreeList.Count(), 1);

  ASSERT_TRUE(manager.SeekTo(b - 4));
  ASSERT_TRUE(manager.WriteInt(100000));  // runs past DataEnd
  manager.Release(b);
  EXPECT_EQ(manager.Error, 2);
  EXPECT_EQ(manager.Report, "Block: 6, Fatal read error!");
  EXPECT_EQ(Extents(manager.FreeList), (E{{a - 4, 24}}));

  manager.Release(52);  // inside the root cell
  manager.Release(30);  // in the header
  EXPECT_EQ(Extents(manager.FreeList), (E{{a - 4, 24}}));
}

}  // namespace
