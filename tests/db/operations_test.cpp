// The operations the rest of the system uses: key paths, line records, settings.
#include "db/FileMan1.h"
#include "db/checker.h"
#include "sys/exception.h"
#include "sys/file_stream.h"
#include "tests/db/db_test_util.h"

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

class Operations : public DbTest {
 protected:
  Lines Get(const std::string& path) {
    Lines lines;
    EXPECT_EQ(GetRecordStrings(lines, path, db), 0);
    return lines;
  }
  void Put(const std::string& path, const Lines& lines) {
    ASSERT_EQ(PutRecordStrings(path, &lines, db), 0);
  }
};

TEST_F(Operations, ReadingAMissingFileCreatesNothing) {
  Lines lines = {"stale"};
  EXPECT_EQ(GetRecordStrings(lines, "x", db), 0);
  EXPECT_TRUE(lines.empty());
  EXPECT_EQ(GetInitValue("Version", "none", db), "none");
  EXPECT_FALSE(CopyRecord("x", nullptr, db));
  EXPECT_FALSE(PathExists(db));
}

TEST_F(Operations, LineRecordsRoundTripAtEveryDepth) {
  const Lines message = {"From: me", "", "Body \xE9\xFF bytes", "last"};
  Put(KeyPath({"default", "message"}), message);
  Put(KeyPath({"a", "b", "c"}), {"three levels"});
  Put("top", {"one"});
  EXPECT_EQ(Get(KeyPath({"default", "message"})), message);
  EXPECT_EQ(Get(KeyPath({"a", "b", "c"})), Lines{"three levels"});
  EXPECT_EQ(Get("top"), Lines{"one"});
  EXPECT_TRUE(Get(KeyPath({"a", "b"})).size() == 1);  // the index's own keys
  EXPECT_TRUE(Get("nothing").empty());
  EXPECT_TRUE(Get(KeyPath({"nothing", "below"})).empty());
  ExpectSound(db);
}

TEST_F(Operations, PathsIgnoreCaseAndEmptyComponents) {
  Put(KeyPath({"default", "message"}), {"x"});
  const std::string odd =
      "\xFF"
      "DEFAULT\xFF\xFF"
      "Message\xFF";
  EXPECT_EQ(Get(odd), Lines{"x"});
  Put(odd, {"y"});
  EXPECT_EQ(Get(KeyPath({"default", "message"})), Lines{"y"});
  DbInspection in = InspectDatabase(ReadBytes(db));
  EXPECT_EQ(in.rootKeyCount, 1);
  EXPECT_EQ(in.nodes.size(), 2u);
}

TEST_F(Operations, ZeroIsAnOrdinaryKey) {
  Put(KeyPath({"0", "0"}), {"zero"});
  EXPECT_EQ(Get(KeyPath({"0", "0"})), Lines{"zero"});
  EXPECT_TRUE(Get("0").size() == 1);
}

TEST_F(Operations, AnEmptyListIsARecordWithNoBytes) {
  Put("empty", {});
  Lines lines = {"stale"};
  EXPECT_EQ(GetRecordStrings(lines, "empty", db), 0);
  EXPECT_TRUE(lines.empty());
  DbInspection in = InspectDatabase(ReadBytes(db));
  ASSERT_EQ(in.nodes.size(), 1u);
  EXPECT_EQ(in.nodes[0].kind, 2);
  EXPECT_EQ(in.nodes[0].unpackedSize, 0);
}

TEST_F(Operations, DeletingKeepsTheIndexAndMissingIndexesAppear) {
  Put(KeyPath({"default", "message"}), {"m"});
  Put(KeyPath({"default", "article"}), {"a"});
  ASSERT_EQ(PutRecordStrings(KeyPath({"default", "message"}), nullptr, db), 0);
  EXPECT_TRUE(Get(KeyPath({"default", "message"})).empty());
  EXPECT_EQ(Get(KeyPath({"default", "article"})), Lines{"a"});
  EXPECT_EQ(Get("default"), Lines{"article"});

  ASSERT_EQ(PutRecordStrings(KeyPath({"new", "message"}), nullptr, db), 0);
  EXPECT_EQ(Get(""), Lines{});
  DbInspection in = InspectDatabase(ReadBytes(db));
  EXPECT_EQ(in.rootKeyCount, 2);  // "default" and the empty "new"
  ExpectSound(db);
}

TEST_F(Operations, PutRecordLeavesTheCallersBufferCompressed) {
  TDataBuf buf("payload", 7);
  ASSERT_EQ(PutRecord("p", &buf, db), 0);
  EXPECT_EQ(buf.Kind, 2);
  EXPECT_EQ(buf.Compressed, 1);
  EXPECT_EQ(buf.UnpackedSize, 7);

  TDataBuf out;
  EXPECT_TRUE(CopyRecord("P", &out, db));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(out.Data()), out.Size()), "payload");
  EXPECT_FALSE(CopyRecord("absent", &out, db));
  EXPECT_EQ(out.Size(), 0);

  Lines lines;
  Put("lines", {"a", "b"});
  EXPECT_TRUE(RecordHasLines("lines", &lines, db));
  EXPECT_EQ(lines, (Lines{"a", "b"}));
  EXPECT_FALSE(RecordHasLines("absent", &lines, db));
  EXPECT_TRUE(lines.empty());
}

TEST_F(Operations, InitValues) {
  EXPECT_EQ(GetInitValue("Version", "", db), "");
  Put("Initialization", {"junk line", "version=2", "Version=3", "Empty="});
  EXPECT_EQ(GetInitValue("Version", "", db), "2");  // the first match wins
  EXPECT_EQ(GetInitValue("VERSION", "x", db), "2");
  EXPECT_EQ(GetInitValue("Empty", "dflt", db), "dflt");
  EXPECT_EQ(GetInitValue("junk line", "dflt", db), "dflt");  // no "=": never a match

  ASSERT_EQ(SetInitValue("VERSION", "0.9b0", db), 0);
  ASSERT_EQ(SetInitValue("Cutmarks", "yes", db), 0);
  EXPECT_EQ(Get("Initialization"),
            (Lines{"junk line", "VERSION=0.9b0", "Version=3", "Empty=", "Cutmarks=yes"}));
  ASSERT_EQ(SetInitValue("version", "", db), 0);
  EXPECT_EQ(GetInitValue("Version", "", db), "3");
  ASSERT_EQ(SetInitValue("absent", "", db), 0);
  EXPECT_EQ(Get("Initialization"), (Lines{"junk line", "Version=3", "Empty=", "Cutmarks=yes"}));
}

TEST_F(Operations, RenameKeepsTheRecord) {
  Put(KeyPath({"folder", "old"}), {"content"});
  Put(KeyPath({"folder", "other"}), {"second"});
  ASSERT_EQ(RenameRecord(KeyPath({"folder", "OLD"}), "new", db), 0);
  EXPECT_EQ(Get(KeyPath({"folder", "new"})), Lines{"content"});
  EXPECT_TRUE(Get(KeyPath({"folder", "old"})).empty());
  EXPECT_EQ(RenameRecord(KeyPath({"folder", "absent"}), "x", db), 0);
  EXPECT_EQ(Get("folder"), (Lines{"new", "other"}));
  // A new key equal to another's: lookups take the first.
  ASSERT_EQ(RenameRecord(KeyPath({"folder", "other"}), "NEW", db), 0);
  EXPECT_EQ(Get(KeyPath({"folder", "new"})), Lines{"content"});

  std::string path = " \t" + KeyPath({"folder", "new"}) + "\r\n ";
  ASSERT_EQ(RenameRecordTrimmed(path, "renamed", db), 0);
  EXPECT_EQ(path, KeyPath({"folder", "new"}));
  EXPECT_EQ(Get(KeyPath({"folder", "renamed"})), Lines{"content"});
  ExpectSound(db);
}

TEST_F(Operations, PathsTheFileCannotHoldAreRefusedBeforeOpening) {
  std::vector<std::string> keys(16, "k");
  Put(KeyPath(keys), {"deep"});
  EXPECT_EQ(Get(KeyPath(keys)), Lines{"deep"});
  const std::string before = ReadBytes(db);
  keys.push_back("k");
  Lines lines = {"x"};
  EXPECT_EQ(PutRecordStrings(KeyPath(keys), &lines, db), kDbBadKey);
  EXPECT_EQ(GetRecordStrings(lines, KeyPath(keys), db), kDbBadKey);
  EXPECT_EQ(PutRecordStrings("a\r\nb", &lines, db), kDbBadKey);
  EXPECT_EQ(PutRecordStrings(std::string("a\0b", 3), &lines, db), kDbBadKey);
  EXPECT_EQ(RenameRecord(KeyPath(std::vector<std::string>(16, "k")), "x\ny", db), kDbBadKey);
  EXPECT_EQ(RenameRecord("k", "x\xFFy", db), kDbBadKey);
  EXPECT_EQ(ReadBytes(db), before);
  EXPECT_EQ(PutRecordStrings(KeyPath(keys), &lines, InDir("other.dbc")), kDbBadKey);
  EXPECT_FALSE(PathExists(InDir("other.dbc")));
}

TEST_F(Operations, RewritesReuseFreedSpace) {
  for (int i = 0; i < 50; ++i)
    Put("Initialization", {"Version=1", "Key" + std::to_string(i) + "=v"});
  Put(KeyPath({"default", "message"}), {"m"});
  auto round = [this](int i) {
    Put(KeyPath({"default", "message"}), {"round " + std::to_string(i % 10)});
    Put("Initialization", {"Version=1", "Key" + std::to_string(i % 10) + "=v"});
  };
  // Every record needs room for its old and its new version at once.
  for (int i = 0; i < 10; ++i) round(i);
  const size_t settled = ReadBytes(db).size();
  for (int i = 10; i < 110; ++i) round(i);
  EXPECT_LE(ReadBytes(db).size(), settled + 64);
  ExpectSound(db);
}

TEST_F(Operations, ManyKeysInOneIndex) {
  for (int i = 0; i < 300; ++i) Put("key" + std::to_string(i), {std::to_string(i)});
  for (int i = 0; i < 300; i += 37)
    EXPECT_EQ(Get("KEY" + std::to_string(i)), Lines{std::to_string(i)});
  ExpectSound(db);
}

// Reading changes nothing, not even a file too new to hold anything yet, and
// works beside other readers while keeping writers out.
TEST_F(Operations, ReadingWritesNothingAndSharesOnlyWithReaders) {
  std::string fresh;
  {
    TFileManager create(db);  // magic, header and an empty free list, no root cell
  }
  fresh = ReadBytes(db);
  for (const std::string& bytes : {std::string(), fresh}) {
    WriteBytes(db, bytes);
    Lines lines = {"stale"};
    EXPECT_EQ(GetRecordStrings(lines, KeyPath({"default", "message"}), db), 0);
    EXPECT_TRUE(lines.empty());
    EXPECT_EQ(GetInitValue("Version", "none", db), "none");
    EXPECT_FALSE(CopyRecord("x", nullptr, db));
    EXPECT_EQ(ReadBytes(db), bytes) << bytes.size() << " bytes";
  }
  Put("a", {"1"});
  TFileManager reader(db, TFileManager::Access::ReadOnly);
  EXPECT_EQ(Get("a"), Lines{"1"});
  EXPECT_THROW(SetInitValue("a", "b", db), EFOpenError);
}

// A setting is read and written under one hold of the file: a writer that
// comes while it is read gets in only after it is written.
TEST_F(Operations, ASettingIsReadAndWrittenUnderOneHold) {
  struct Intruder : TestFiles {
    std::unique_ptr<DbStorage> Open(const std::string& name, FileStream::Mode mode) override {
      if (mode != FileStream::Mode::ReadOnly && !came) {
        came = true;
        EXPECT_EQ(SetInitValue("Other", "x", name), 0);
      }
      return TestFiles::Open(name, mode);
    }
    bool came = false;
  } intruder;
  Put("Initialization", {"Version=1"});
  SetDbFiles(&intruder);
  EXPECT_EQ(SetInitValue("Mine", "y", db), 0);
  SetDbFiles(&files);
  EXPECT_EQ(GetInitValue("Other", "", db), "x");
  EXPECT_EQ(GetInitValue("Mine", "", db), "y");
}

// Two programs writing at once, each key and each setting its own: every
// write that reported success is there at the end.
TEST_F(Operations, TwoWritersWaitForEachOther) {
#ifdef _WIN32
  GTEST_SKIP() << "two processes need fork";
#else
  FileStream::SetLockWait(10000);
  Put("Initialization", {"Version=1"});
  const int kRounds = 60;
  auto tag = [](int writer, int i) { return std::to_string(writer) + "_" + std::to_string(i); };
  int start[2];
  ASSERT_EQ(pipe(start), 0);
  pid_t writers[2];
  for (int w = 0; w < 2; ++w) {
    writers[w] = fork();
    if (writers[w] != 0) continue;
    char go;
    int failures = read(start[0], &go, 1) != 1;  // both start together
    for (int i = 0; i < kRounds; ++i) {
      const Lines value = {tag(w, i)};
      failures += PutRecordStrings("key" + tag(w, i), &value, db) != 0;
      failures += SetInitValue("S" + tag(w, i), tag(w, i), db) != 0;
    }
    _exit(failures);
  }
  ASSERT_EQ(write(start[1], "go", 2), 2);
  close(start[0]);
  close(start[1]);
  for (pid_t writer : writers) {
    int status = 0;
    ASSERT_EQ(waitpid(writer, &status, 0), writer);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  }
  for (int w = 0; w < 2; ++w)
    for (int i = 0; i < kRounds; ++i) {
      EXPECT_EQ(Get("key" + tag(w, i)), Lines{tag(w, i)});
      EXPECT_EQ(GetInitValue("S" + tag(w, i), "", db), tag(w, i));
    }
#endif
}

TEST_F(Operations, TheFileIsHeldExclusively) {
  Put("a", {"1"});
  TFileManager holder(db);
  Lines lines;
  try {
    GetRecordStrings(lines, "a", db);
    FAIL() << "opened a file that is held";
  } catch (const EFOpenError& e) {
    EXPECT_EQ(std::string(e.what()), FileStream::HeldMessage(db));
  }
  EXPECT_THROW(SetInitValue("a", "b", db), EFOpenError);
  EXPECT_THROW(PutRecordStrings(InDir("missing/x.dbc"), &lines, InDir("missing/x.dbc")),
               EFCreateError);
}

}  // namespace
