// Every write of every kind of operation, failed, stopped or torn in turn: the
// file is left as it was or as the operation leaves it, never in between, and
// a failure is only reported with the file unchanged.
#include <cstdio>
#include <functional>

#include "db/FileMan1.h"
#include "db/storage.h"
#include "tests/db/db_test_util.h"

namespace {

enum class Fault { None, Fail, Stop, Torn };

// The files under the engine, with the nth write (a write, a truncation or a
// deletion) failed, or the process taken to stop there: nothing after it
// reaches the disk, and a torn write lets half its bytes through first.
class FaultFiles : public DbFiles {
 public:
  FaultFiles(Fault fault, int at) : fault_(fault), at_(at) { SetDbFiles(this); }
  ~FaultFiles() override { SetDbFiles(nullptr); }

  // How many of count bytes reach the disk, and how many the engine is told.
  std::pair<size_t, size_t> Next(size_t count) {
    if (stopped_) return {0, count};
    if (++writes != at_) return {count, count};
    stopped_ = fault_ != Fault::Fail;
    return {fault_ == Fault::Torn ? count / 2 : 0, fault_ == Fault::Fail ? 0 : count};
  }
  bool Remove(const std::string& name) override {
    auto n = Next(1);
    return (n.first == 0 || DbFiles::Remove(name)) && n.second == 1;
  }
  std::unique_ptr<DbStorage> Open(const std::string& name, FileStream::Mode mode) override;

  int writes = 0;

 private:
  Fault fault_;
  int at_;
  bool stopped_ = false;
};

class FaultStorage : public DbStorage {
 public:
  FaultStorage(std::unique_ptr<DbStorage> file, FaultFiles& files)
      : file_(std::move(file)), files_(files) {}
  size_t ReadAt(int64_t position, void* buffer, size_t count) override {
    return file_->ReadAt(position, buffer, count);
  }
  size_t WriteAt(int64_t position, const void* buffer, size_t count) override {
    auto n = files_.Next(count);
    if (n.first) file_->WriteAt(position, buffer, n.first);
    return n.second;
  }
  int64_t Size() override { return file_->Size(); }
  bool Truncate(int64_t length) override {
    auto n = files_.Next(1);
    return (n.first == 0 || file_->Truncate(length)) && n.second == 1;
  }
  bool Sync() override { return file_->Sync(); }

 private:
  std::unique_ptr<DbStorage> file_;
  FaultFiles& files_;
};

std::unique_ptr<DbStorage> FaultFiles::Open(const std::string& name, FileStream::Mode mode) {
  return std::make_unique<FaultStorage>(DbFiles::Open(name, mode), *this);
}

const std::vector<std::string> kPaths = {
    "Initialization", KeyPath({"default", "message"}), KeyPath({"default", "article"}),
    KeyPath({"default", "letter"}), KeyPath({"new", "deeper", "key"}), KeyPath({"box", "k7"})};

class Faults : public DbTest {
 protected:
  // Every record of kPaths as the engine reads it.
  std::vector<Lines> Records() {
    std::vector<Lines> records;
    for (const std::string& path : kPaths) {
      records.emplace_back();
      EXPECT_EQ(GetRecordStrings(records.back(), path, db), 0) << path;
    }
    return records;
  }

  void Run(const std::function<int()>& operation) {
    ReportCatcher quiet;
    const Lines message = {"Hi", "there"}, init = {"Version=0.9b0"};
    ASSERT_EQ(PutRecordStrings("Initialization", &init, db), 0);
    ASSERT_EQ(PutRecordStrings(KeyPath({"default", "message"}), &message, db), 0);
    ASSERT_EQ(PutRecordStrings(KeyPath({"default", "article"}), &message, db), 0);
    for (bool grown : {false, true}) {
      // Grown: more keys, a longer index and free extents between the records.
      for (int i = 0; grown && i < 60; ++i) {
        const Lines lines(i % 9 + 1, "line " + std::to_string(i));
        ASSERT_EQ(PutRecordStrings(KeyPath({"box", "k" + std::to_string(i % 30)}), &lines, db), 0);
      }
      const std::string base = ReadBytes(db);
      const std::vector<Lines> before = Records();
      ASSERT_EQ(operation(), 0);
      const std::string done = ReadBytes(db);
      const std::vector<Lines> after = Records();
      ASSERT_NE(done, base);
      int writes = 0;
      for (Fault fault : {Fault::None, Fault::Fail, Fault::Stop, Fault::Torn}) {
        for (int at = 1; at <= writes; ++at) {
          WriteBytes(db, base);
          int result;
          {
            FaultFiles files(fault, at);
            result = operation();
          }
          const std::string where = std::string(grown ? "grown" : "small") + " file, write " +
                                    std::to_string(at) + " of " + std::to_string(writes) +
                                    (fault == Fault::Fail   ? " failed"
                                     : fault == Fault::Torn ? " torn"
                                                            : " stopped");
          if (fault == Fault::Fail) {
            EXPECT_NE(result, 0) << where;
            EXPECT_TRUE(ReadBytes(db) == base) << where;
          }
          // A reader sees the file whole before anyone rolls it back.
          const std::vector<Lines> seen = Records();
          EXPECT_TRUE(seen == before || seen == after) << where;
          { TFileManager reopened(db); }
          // A journal torn while it was written may leave bytes behind the
          // old end, where nothing is read.
          const std::string bytes = ReadBytes(db);
          EXPECT_TRUE(bytes == base || bytes == done ||
                      (fault == Fault::Torn && bytes.compare(0, base.size(), base) == 0))
              << where;
          ExpectSound(db);
          if (HasFailure()) return;
        }
        if (fault == Fault::None) {
          FaultFiles counter(Fault::None, 0);
          WriteBytes(db, base);
          ASSERT_EQ(operation(), 0);
          writes = counter.writes;
          ASSERT_EQ(ReadBytes(db), done);
          ASSERT_GE(writes, 3);  // the journal, the file, the cut
        }
      }
      WriteBytes(db, base);
    }
  }
};

TEST_F(Faults, Put) {
  const Lines fresh = {"new", "text"};
  for (bool sync : {false, true}) {
    TFileManager::SetSync(sync);
    Run([&] { return PutRecordStrings(KeyPath({"default", "message"}), &fresh, db); });
    TFileManager::SetSync(false);
    if (HasFailure()) return;
    std::remove(db.c_str());
  }
}

TEST_F(Faults, PutNested) {
  const Lines fresh = {"deep"};
  Run([&] { return PutRecordStrings(KeyPath({"new", "deeper", "key"}), &fresh, db); });
}

TEST_F(Faults, Delete) {
  Run([&] { return PutRecordStrings(KeyPath({"default", "article"}), nullptr, db); });
}

TEST_F(Faults, Rename) {
  Run([&] { return RenameRecord(KeyPath({"default", "message"}), "letter", db); });
}

TEST_F(Faults, InitSet) { Run([&] { return SetInitValue("Version", "2.0", db); }); }

}  // namespace
