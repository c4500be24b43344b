// Damaged files: the engine never crashes, never allocates what the file cannot
// hold, reports the damage as a read failure and does not write over it.
#include <functional>

#include "db/FileMan1.h"
#include "db/checker.h"
#include "tests/db/db_test_util.h"

#ifndef _WIN32
#include <sys/resource.h>

#include <csignal>
#endif

namespace {

const Lines kInit = {"Version=0.9b0", "Cutmarks=yes"};
const Lines kMessage = {"Hi", "there"};
const Lines kArticle = {"Art"};

class Corruption : public DbTest {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    ASSERT_EQ(PutRecordStrings("Initialization", &kInit, db), 0);
    ASSERT_EQ(PutRecordStrings(KeyPath({"default", "message"}), &kMessage, db), 0);
    ASSERT_EQ(PutRecordStrings(KeyPath({"default", "article"}), &kArticle, db), 0);
    original = ReadBytes(db);
  }

  std::string original;

  // Runs every operation on the file as it stands, in turn. Each result must
  // be success or a read failure; on a file the inspector finds sound, every
  // operation succeeds, reads give the stored lines or nothing, and the file
  // stays sound.
  void RunEveryOperation(const std::string& what) {
    const bool sound = InspectDatabase(ReadBytes(db)).Sound();
    std::vector<int> results;
    Lines lines;
    results.push_back(GetRecordStrings(lines, KeyPath({"default", "message"}), db));
    if (sound) {
      EXPECT_TRUE(lines == kMessage || lines.empty()) << what;
    }
    results.push_back(GetRecordStrings(lines, "Initialization", db));
    if (sound) {
      EXPECT_TRUE(lines == kInit || lines.empty()) << what;
    }
    GetInitValue("Version", "", db);
    CopyRecord(KeyPath({"default", "article"}), nullptr, db);
    const Lines fresh = {"new"};
    results.push_back(PutRecordStrings(KeyPath({"default", "message"}), &fresh, db));
    results.push_back(SetInitValue("Version", "1.0", db));
    results.push_back(RenameRecord(KeyPath({"default", "article"}), "paper", db));
    results.push_back(PutRecordStrings(KeyPath({"default", "paper"}), nullptr, db));
    results.push_back(PutRecordStrings(KeyPath({"fresh", "key"}), &fresh, db));
    for (int r : results) {
      EXPECT_TRUE(r == 0 || r == 2) << what << ": result " << r;
      if (sound) {
        EXPECT_EQ(r, 0) << what;
      }
    }
    if (sound) {
      ExpectSound(db);
    }
  }
};

TEST_F(Corruption, EveryByteFlipped) {
  ReportCatcher quiet;
  for (size_t i = 0; i < original.size(); ++i) {
    std::string bytes = original;
    bytes[i] = static_cast<char>(bytes[i] ^ 0xFF);
    WriteBytes(db, bytes);
    RunEveryOperation("byte " + std::to_string(i) + " flipped");
    if (HasFailure()) return;
  }
}

// The free-list area ends every file, so every cut loses part of it: each
// operation is a read failure and nothing is written.
TEST_F(Corruption, EveryShorterLength) {
  for (size_t length = 1; length < original.size(); ++length) {
    const std::string cut = original.substr(0, length);
    WriteBytes(db, cut);
    Lines lines = {"stale"};
    const Lines fresh = {"new"};
    EXPECT_EQ(GetRecordStrings(lines, KeyPath({"default", "message"}), db), 2) << length;
    EXPECT_TRUE(lines.empty());
    EXPECT_EQ(PutRecordStrings(KeyPath({"default", "message"}), &fresh, db), 2) << length;
    EXPECT_EQ(SetInitValue("Version", "1.0", db), 2) << length;
    EXPECT_EQ(RenameRecord("Initialization", "x", db), 2) << length;
    EXPECT_EQ(GetInitValue("Version", "dflt", db), "dflt");
    EXPECT_EQ(ReadBytes(db), cut) << length;
    if (HasFailure()) return;
  }
}

TEST_F(Corruption, HostileSizesAreRefusedBeforeAllocating) {
  ReportCatcher quiet;
  auto patch = [&](size_t offset, int32_t value) {
    std::string bytes = original;
    bytes.replace(offset, 4, Le32(value));
    WriteBytes(db, bytes);
  };
  DbInspection in = InspectDatabase(original);
  const int32_t dataEnd = in.dataEnd;
  const int32_t init = in.nodes[0].position;
  Lines lines;
  struct Case {
    size_t offset;
    int32_t value;
  } cases[] = {
      {42, 0x7FFFFFF0},               // DataEnd far past the end of the file
      {42, 10},                       // DataEnd inside the header
      {38, 0x40000000},               // RootCell outside the block area
      {size_t(dataEnd), 0x10000000},  // free-list count
      {size_t(dataEnd), -1},
      {size_t(init) - 4, 0x7FFFFFFF},  // block size
      {size_t(init) + 4, 0x7FFFFFF0},  // stored size
      {size_t(init) + 8, 0x7FFFFFFF},  // unpacked size
      {size_t(init) + 8, -1},
      {50, 12},  // the root index "in the header"
  };
  for (const Case& c : cases) {
    patch(c.offset, c.value);
    const std::string before = ReadBytes(db);
    EXPECT_EQ(GetRecordStrings(lines, "Initialization", db), 2) << c.offset << " " << c.value;
    EXPECT_EQ(SetInitValue("Version", "1", db), 2) << c.offset << " " << c.value;
    EXPECT_EQ(ReadBytes(db), before);
    EXPECT_FALSE(DbLastFailure().empty());
  }
}

// Storing under an index that cannot be read would replace it with an index
// holding only the new key and orphan the records below it.
TEST_F(Corruption, NothingIsWrittenUnderAnUnreadableIndex) {
  ReportCatcher reports;
  DbInspection in = InspectDatabase(original);
  ASSERT_EQ(in.nodes[1].key, "default");
  std::string bytes = original;
  bytes[in.nodes[1].position + 14] ^= 0x55;  // inside its deflate stream
  WriteBytes(db, bytes);
  const Lines fresh = {"new"};
  EXPECT_EQ(PutRecordStrings(KeyPath({"default", "message"}), &fresh, db), 2);
  EXPECT_EQ(PutRecordStrings(KeyPath({"default", "message"}), nullptr, db), 2);
  EXPECT_EQ(RenameRecord(KeyPath({"default", "article"}), "x", db), 2);
  EXPECT_EQ(ReadBytes(db), bytes);
  EXPECT_FALSE(reports.Reports().empty());
  EXPECT_EQ(reports.Reports()[0].caption, "Inflate Error");
  // The rest of the tree is still usable.
  EXPECT_EQ(SetInitValue("Version", "1.0", db), 0);
  EXPECT_EQ(GetInitValue("Version", "", db), "1.0");
}

TEST_F(Corruption, AnUnreadableSettingsRecordIsNotReplaced) {
  ReportCatcher quiet;
  DbInspection in = InspectDatabase(original);
  ASSERT_EQ(in.nodes[0].key, "Initialization");
  std::string bytes = original;
  bytes[in.nodes[0].position + 14] ^= 0x55;
  WriteBytes(db, bytes);
  EXPECT_EQ(SetInitValue("Version", "1.0", db), 2);
  EXPECT_EQ(ReadBytes(db), bytes);
}

// A data record is no index: walking through it would replace it with one.
TEST_F(Corruption, APathThroughADataRecordIsRefused) {
  const Lines fresh = {"x"};
  Lines lines;
  EXPECT_EQ(PutRecordStrings(KeyPath({"Initialization", "sub"}), &fresh, db), 2);
  EXPECT_EQ(GetRecordStrings(lines, KeyPath({"Initialization", "sub"}), db), 2);
  EXPECT_EQ(ReadBytes(db), original);
  EXPECT_EQ(GetRecordStrings(lines, "Initialization", db), 0);
  EXPECT_EQ(lines, kInit);
}

// Damage where a write would land: a free extent over a live record, two
// entries naming one record. Nothing is written, and the result says so.
TEST_F(Corruption, NoWriteWhereTheFreeListOrEntriesContradictTheRecords) {
  DbInspection in = InspectDatabase(original);
  const int32_t init = in.nodes[0].position, message = in.nodes[2].position;
  const int32_t article = in.nodes[3].position;
  const int32_t defaultIndex = in.nodes[1].position;
  const int32_t defaultList = defaultIndex + 12 + Le32At(original, defaultIndex + 4);
  ASSERT_EQ(in.nodes[3].key, "article");
  std::string freeOverInit = original.substr(0, in.dataEnd) + Le32(1) + Le32(init - 4) +
                             Le32(Le32At(original, init - 4));
  // Under an index a write to the root does not load.
  std::string freeOverArticle = original.substr(0, in.dataEnd) + Le32(1) + Le32(article - 4) +
                                Le32(Le32At(original, article - 4));
  std::string shared = original;
  shared.replace(defaultList + 4, 4, Le32(message));  // "article" names "message"'s record
  std::string sizeOverArticle = original;
  sizeOverArticle.replace(message - 4, 4, Le32(article - message + 8));
  std::string hugeIndex = original;  // reaches past every block behind it
  hugeIndex.replace(defaultIndex - 4, 4, Le32(0x7FFFFFFF));
  const Lines fresh = {"new"}, empty;
  const std::string message_ = KeyPath({"default", "message"});
  struct Case {
    const std::string& bytes;
    std::function<int()> write;
  } cases[] = {
      {freeOverInit, [&] { return PutRecordStrings(message_, &fresh, db); }},
      {freeOverArticle, [&] { return PutRecordStrings("k", &empty, db); }},
      {shared, [&] { return PutRecordStrings(KeyPath({"default", "article"}), nullptr, db); }},
      {shared, [&] { return PutRecordStrings(message_, &fresh, db); }},
      {sizeOverArticle, [&] { return PutRecordStrings(message_, &fresh, db); }},
      {hugeIndex, [&] { return SetInitValue("Version", "1", db); }},
  };
  for (const Case& c : cases) {
    WriteBytes(db, c.bytes);
    EXPECT_FALSE(InspectDatabase(c.bytes).Sound());
    EXPECT_EQ(c.write(), 2) << &c - cases;
    EXPECT_TRUE(ReadBytes(db) == c.bytes) << &c - cases;
  }
}

// The blocks an operation learnt are used again by the next one only while the
// file proves unchanged: a record copied into free space and named there
// since, the header and free list as they were, is seen.
TEST_F(Corruption, AnIndexChangedBehindTheEnginesBackIsReadAgain) {
  const Lines fresh = {"new"}, empty;
  for (int i = 0; i < 2; ++i)  // the second reuses free space: the tree is walked
    ASSERT_EQ(PutRecordStrings(KeyPath({"default", "message"}), &fresh, db), 0);
  std::string bytes = ReadBytes(db);
  DbInspection in = InspectDatabase(bytes);
  ASSERT_EQ(in.nodes[3].key, "article");
  ASSERT_FALSE(in.freeExtents.empty());
  const int32_t defaultIndex = in.nodes[1].position, article = in.nodes[3].position;
  const int32_t list = defaultIndex + 12 + Le32At(bytes, defaultIndex + 4);
  const int32_t moved = in.freeExtents[0].first;
  const int32_t size = Le32At(bytes, article - 4);
  bytes.replace(moved, size, bytes.substr(article - 4, size));  // a copy of "article"
  bytes.replace(list + 4, 4, Le32(moved + 4));
  WriteBytes(db, bytes);
  EXPECT_EQ(PutRecordStrings("k", &empty, db), 2);
  EXPECT_TRUE(ReadBytes(db) == bytes);
}

#ifndef _WIN32
// A write that fails because the file may not grow (RLIMIT_FSIZE): the
// operation says so and the file is as it was.
TEST_F(Corruption, FailedWritesAreNeverReportedAsSuccess) {
  ReportCatcher quiet;
  Lines big;
  for (int i = 0; i < 40; ++i) big.push_back("line " + std::to_string(i * 7919));
  ASSERT_EQ(PutRecordStrings(KeyPath({"default", "message"}), &big, db), 0);
  const size_t grown = ReadBytes(db).size();
  ASSERT_GT(grown, original.size());

  std::signal(SIGXFSZ, SIG_IGN);
  rlimit saved;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  for (size_t limit = original.size(); limit < grown; ++limit) {
    WriteBytes(db, original);
    rlimit capped = saved;
    capped.rlim_cur = limit;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &capped), 0);
    int result = PutRecordStrings(KeyPath({"default", "message"}), &big, db);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &saved), 0);
    EXPECT_EQ(result, 1) << "limit " << limit;
    EXPECT_TRUE(ReadBytes(db) == original) << "limit " << limit;
    Lines lines;
    EXPECT_EQ(GetRecordStrings(lines, "Initialization", db), 0);
    EXPECT_EQ(lines, kInit);
    if (HasFailure()) return;
  }
}
#endif

}  // namespace
