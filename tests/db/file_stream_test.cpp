// The platform file layer: exclusive opening and counted, positioned I/O.
#include "sys/file_stream.h"

#include <chrono>

#include "sys/exception.h"
#include "tests/db/db_test_util.h"

namespace {

class FileStreamTest : public DbTest {};

TEST_F(FileStreamTest, PositionedReadsAndWritesReportWhatMoved) {
  EXPECT_FALSE(FileStream::Exists(db));
  EXPECT_FALSE(FileStream::Exists(dir));  // a folder is no file
  FileStream file(db, FileStream::Mode::Create);
  EXPECT_TRUE(FileStream::Exists(db));
  EXPECT_EQ(file.Size(), 0);
  EXPECT_EQ(file.Write("abcdef", 6), 6u);
  EXPECT_EQ(file.Seek(2), 2);
  char buf[8] = {};
  EXPECT_EQ(file.Read(buf, 8), 4u);  // short at the end
  EXPECT_EQ(std::string(buf, 4), "cdef");
  EXPECT_EQ(file.Seek(-1), -1);
  EXPECT_EQ(file.Seek(10), 10);  // beyond the end is a position too
  EXPECT_EQ(file.Read(buf, 1), 0u);
  EXPECT_EQ(file.Write("z", 1), 1u);
  EXPECT_EQ(file.Size(), 11);
  EXPECT_EQ(file.WriteAt(1, "XY", 2), 2u);
  EXPECT_EQ(file.ReadAt(0, buf, 8), 8u);
  EXPECT_EQ(std::string(buf, 4), "aXYd");
  EXPECT_EQ(file.ReadAt(9, buf, 8), 2u);  // short at the end
  EXPECT_TRUE(file.Truncate(3));
  EXPECT_EQ(file.Size(), 3);
  EXPECT_TRUE(file.Sync());
}

// A second opener waits and then gives up; the file held says so, apart from
// a file that cannot be opened at all.
TEST_F(FileStreamTest, AHeldFileAndARefusalAreToldApart) {
  WriteBytes(db, "x");
  FileStream first(db, FileStream::Mode::OpenExisting);
  const std::string held = "File " + db + " is in use by another program (waited 0.05 seconds)";
  const std::string missing = InDir("missing.dbc"), noFolder = InDir("no-folder") + "/x.dbc";
  const struct {
    std::string name;
    FileStream::Mode mode;
    bool open;  // EFOpenError, else EFCreateError
    std::string text;
  } cases[] = {
      {db, FileStream::Mode::OpenExisting, true, held},
      {db, FileStream::Mode::ReadOnly, true, held},
      {db, FileStream::Mode::Create, false, held},
      {missing, FileStream::Mode::OpenExisting, true, "Cannot open file " + missing},
      {missing, FileStream::Mode::ReadOnly, true, "Cannot open file " + missing},
      {noFolder, FileStream::Mode::Create, false, "Cannot create file " + noFolder},
  };
  for (const auto& c : cases) {
    try {
      FileStream second(c.name, c.mode);
      ADD_FAILURE() << c.text << ": opened";
    } catch (const EFOpenError& e) {
      EXPECT_TRUE(c.open) << c.text;
      EXPECT_EQ(std::string(e.what()), c.text);
    } catch (const EFCreateError& e) {
      EXPECT_FALSE(c.open) << c.text;
      EXPECT_EQ(std::string(e.what()), c.text);
    }
  }
  FileStream::SetLockWait(10000);
  EXPECT_EQ(FileStream::HeldMessage("C:\\x.dbc"),
            "File C:\\x.dbc is in use by another program (waited 10 seconds)");
}

TEST(FileStreamWait, AnOpenerWaitsTenSecondsForAHeldFile) {
  EXPECT_EQ(FileStream::LockWait(), 10000);
}

TEST_F(FileStreamTest, ASecondOpenerWaitsBeforeItGivesUp) {
  WriteBytes(db, "x");
  FileStream::SetLockWait(300);
  FileStream first(db, FileStream::Mode::OpenExisting);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_THROW(FileStream(db, FileStream::Mode::ReadOnly), EFOpenError);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(250));
}

TEST_F(FileStreamTest, CreateKeepsAnExistingFileAndFailsInAMissingFolder) {
  WriteBytes(db, "keep");
  { FileStream file(db, FileStream::Mode::Create); }
  EXPECT_EQ(ReadBytes(db), "keep");
  // A new file only: one already there is not opened at all.
  EXPECT_THROW(FileStream(db, FileStream::Mode::CreateNew), EFCreateError);
  EXPECT_EQ(ReadBytes(db), "keep");
  const std::string missing = InDir("no-such-folder") + "/x.dbc";
  try {
    FileStream file(missing, FileStream::Mode::Create);
    FAIL() << "created a file in a missing folder";
  } catch (const EFCreateError& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot create file " + missing);
  }
  EXPECT_THROW(FileStream(missing, FileStream::Mode::OpenExisting), EFOpenError);
}

}  // namespace
