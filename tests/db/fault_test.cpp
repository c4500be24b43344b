// Every write of every kind of operation, failed, stopped or torn in turn; the
// file as a power cut leaves it at every point; the file as a program that
// knows no journals reads and writes it at every stop. The file is left as it
// was or as the operation leaves it, never in between; a failure is only
// reported with the file unchanged; a roll-back that fails is finished by the
// next opener; and another program's write is never undone.
#include <cstdio>
#include <functional>
#include <iterator>
#include <random>

#include "db/FileMan1.h"
#include "db/checker.h"
#include "db/journal.h"
#include "tests/db/db_test_util.h"

namespace {

enum class Fault { None, Fail, Stop, Torn };

// The files under the engine, with the nth write (a write, a cut or a
// deletion) failed, or the process taken to stop there: nothing after it
// reaches the disk, and a torn write lets half its bytes through first. A
// second write may fail as well (one that undoes the first failure).
class FaultFiles : public TestFiles {
 public:
  FaultFiles(Fault fault, int at, int alsoFailed = 0)
      : previous_(CurrentDbFiles()), fault_(fault), at_(at), alsoFailed_(alsoFailed) {
    logging = true;
    SetDbFiles(this);
  }
  ~FaultFiles() override { SetDbFiles(&previous_); }

  std::pair<size_t, size_t> Next(size_t count) override {
    if (stopped_) return {0, count};
    if (++writes == alsoFailed_) return {0, 0};
    if (writes != at_) return {count, count};
    stopped_ = fault_ != Fault::Fail;
    return {fault_ == Fault::Torn ? count / 2 : 0, fault_ == Fault::Fail ? 0 : count};
  }

  int writes = 0;

 private:
  DbFiles& previous_;
  Fault fault_;
  int at_;
  int alsoFailed_;
  bool stopped_ = false;
};

// Whether a journal still ends the file.
bool EndsInJournal(const std::string& bytes) {
  return bytes.size() >= 8 && bytes.compare(bytes.size() - 8, 8, "cvjrnl3\n") == 0;
}

const std::vector<std::string> kPaths = {
    "Initialization", KeyPath({"default", "message"}), KeyPath({"default", "article"}),
    KeyPath({"default", "letter"}), KeyPath({"new", "deeper", "key"}), KeyPath({"box", "k7"})};

// The records as a reader that knows no journals finds them: every entry of
// the tree, with its record's bytes.
std::string Content(const std::string& file) {
  std::string text;
  for (const DbNode& n : InspectDatabase(file).nodes)
    text += std::to_string(n.depth) + n.key + "=" + std::to_string(n.kind) + n.bytes + "\n";
  return text;
}

// A record block as the format has it: size, kind, a zlib stream, positions.
std::string RecordBlock(char kind, const std::string& unpacked, const std::string& positions) {
  const std::string packed = Deflate(unpacked);
  return Le32(static_cast<int32_t>(16 + packed.size() + positions.size())) + kind +
         std::string("\0\0\x01", 3) + Le32(static_cast<int32_t>(packed.size())) +
         Le32(static_cast<int32_t>(unpacked.size())) + packed + positions;
}

// A program that knows no journals stores the key "client" in the root index
// of the file as it reads it: a data record and a new root index behind the
// block area, an empty free list (the free space is only lost), the header and
// the root cell. False when it finds no root index to add to.
bool ClientPut(std::string& file) {
  const DbInspection tree = InspectDatabase(file);
  if (tree.rootIndex == -1) return false;
  std::string keys, positions;
  for (const DbNode& n : tree.nodes)
    if (n.depth == 0) keys += n.key + "\r\n", positions += Le32(n.position);
  const std::string data = RecordBlock(2, "from the client\r\n", Le32(-1));
  const std::string root =
      RecordBlock(1, keys + "client\r\n" + '\0', positions + Le32(tree.dataEnd + 4));
  file = Apply(file, {DiskStep::Write, tree.dataEnd, data + root + Le32(0)});
  file.replace(42, 4, Le32(tree.dataEnd + static_cast<int32_t>(data.size() + root.size())));
  file.replace(50, 4, Le32(tree.dataEnd + static_cast<int32_t>(data.size()) + 4));
  return true;
}

// A program that knows no journals and writes in the format's own order: the
// engine with its journal off stands in for the client.
class WithoutJournal {
 public:
  WithoutJournal() { TFileManager::SetJournal(false); }
  ~WithoutJournal() { TFileManager::SetJournal(true); }
};

const struct {
  const char* what;
  std::function<int(const std::string&)> write;
} kClientWrites[] = {
    {"puts another key",
     [](const std::string& file) {
       const Lines lines = {"from the client"};
       return PutRecordStrings(KeyPath({"client", "key"}), &lines, file);
     }},
    {"deletes an absent key",
     [](const std::string& file) {
       return PutRecordStrings(KeyPath({"default", "absent"}), nullptr, file);
     }},
    {"sets a setting", [](const std::string& file) { return SetInitValue("Client", "1", file); }},
};

class Faults : public DbTest {
 protected:
  // Every record of kPaths as the engine reads it; with expect, a read that
  // fails fails the test.
  std::vector<Lines> Records(bool expect = true) {
    std::vector<Lines> records;
    for (const std::string& path : kPaths) {
      records.emplace_back();
      const int result = GetRecordStrings(records.back(), path, db);
      if (expect) {
        EXPECT_EQ(result, 0) << path;
      }
      if (result != 0) records.back() = {"(unreadable)"};
    }
    return records;
  }

  // The file the engine finds after a power cut: everything up to the last
  // flush before step `upTo` of log, and of the steps after it those in
  // `kept` (a bit per step).
  static std::string AfterPowerCut(std::string file, const std::vector<DiskStep>& log, size_t upTo,
                                   uint64_t kept) {
    size_t flushed = 0;
    for (size_t i = 0; i < upTo; ++i)
      if (log[i].kind == DiskStep::Flush) flushed = i + 1;
    for (size_t i = 0; i < upTo; ++i)
      if (i < flushed || (kept >> (i - flushed) & 1)) file = Apply(file, log[i]);
    return file;
  }

  // What the client leaves in file, read without the journal.
  std::string ClientLeaves(const std::string& file, size_t client) {
    WriteBytes(db, file);
    {
      WithoutJournal client_;
      EXPECT_EQ(kClientWrites[client].write(db), 0) << kClientWrites[client].what;
    }
    return ReadBytes(db);
  }

  void Run(const std::function<int()>& operation) {
    ReportCatcher quiet;
    const Lines message = {"Hi", "there"}, init = {"Version=0.9b0"};
    ASSERT_EQ(PutRecordStrings("Initialization", &init, db), 0);
    ASSERT_EQ(PutRecordStrings(KeyPath({"default", "message"}), &message, db), 0);
    ASSERT_EQ(PutRecordStrings(KeyPath({"default", "article"}), &message, db), 0);
    int powerCuts = 0, lost = 0, stops = 0, mixed = 0;
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
      const std::string shown[2] = {Content(base), Content(done)};
      ASSERT_NE(done, base);
      // Each client write made on the old file or on the new one.
      std::vector<std::string> byClient[2];
      for (size_t c = 0; c < std::size(kClientWrites); ++c) {
        byClient[0].push_back(Content(ClientLeaves(base, c)));
        byClient[1].push_back(Content(ClientLeaves(done, c)));
      }
      int writes = 0;
      std::vector<DiskStep> log;
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
            // The roll-back itself fails at any of its writes: the journal
            // stays, and the next opener finishes it.
            for (int undo = at + 1;; ++undo) {
              WriteBytes(db, base);
              int reached;
              {
                FaultFiles files(fault, at, undo);
                EXPECT_NE(operation(), 0) << where;
                reached = files.writes;
              }
              if (reached < undo) break;
              const std::string left = ReadBytes(db);
              EXPECT_TRUE(left == base || EndsInJournal(left)) << where << ", undo " << undo;
              { TFileManager settled(db); }
              // Failed at the cut, the operation had made every write: the
              // file is as a stop there leaves it, and it is finished.
              const std::string now = ReadBytes(db);
              EXPECT_TRUE(now == base || (at == writes && now == done))
                  << where << ", undo " << undo << " failed";
            }
            WriteBytes(db, base);
          }
          const std::string stopped = ReadBytes(db);
          // Torn in half, the one write of header and root cell shows the old
          // tree under the new DataEnd; disks write those 16 bytes, inside one
          // sector, whole. Counted; what the next opener finds there is neither
          // the old nor the new switch, so it undoes nothing.
          const bool tornSwitch = fault == Fault::Torn &&
                                  stopped.compare(38, 16, base, 38, 16) != 0 &&
                                  stopped.compare(38, 16, done, 38, 16) != 0;
          if (fault == Fault::Torn) {
            const std::string seen = Content(stopped);
            mixed += seen != shown[0] && seen != shown[1];
          }
          if (fault == Fault::Stop) {
            // Read without the journal: the old records or the new ones, and
            // a free list that names no space they use.
            const std::string seen = Content(stopped);
            EXPECT_TRUE(seen == shown[0] || seen == shown[1]) << where;
            ++stops;
            EXPECT_TRUE(InspectDatabase(stopped).Sound())
                << where << ": " << InspectDatabase(stopped).FirstFault();
            // The client writes the stopped file; the next opener keeps that
            // write and every record it was made on.
            for (size_t c = 0; c < std::size(kClientWrites); ++c) {
              ClientLeaves(stopped, c);
              { TFileManager settled(db); }
              const std::string now = Content(ReadBytes(db));
              EXPECT_TRUE(now == byClient[0][c] || now == byClient[1][c])
                  << where << ", then the client " << kClientWrites[c].what;
              ExpectSound(db);
            }
            // The roll-back fails at any of its writes: the journal stays,
            // and the next opener finishes it.
            int undoes;
            {
              WriteBytes(db, stopped);
              FaultFiles counter(Fault::None, 0);
              { TFileManager settled(db); }
              undoes = ReadBytes(db) == base ? counter.writes : 0;
            }
            for (int undo = 1; undo <= undoes; ++undo) {
              WriteBytes(db, stopped);
              {
                FaultFiles files(Fault::Fail, undo);
                TFileManager settled(db);
                EXPECT_NE(settled.Error, 0) << where << ", undo " << undo;
              }
              EXPECT_TRUE(EndsInJournal(ReadBytes(db))) << where << ", undo " << undo;
              { TFileManager settled(db); }
              EXPECT_TRUE(ReadBytes(db) == base) << where << ", undo " << undo << " failed";
            }
            // Written without the journal: that write stays, whatever the
            // engine makes of its journal afterwards.
            std::string client = stopped;
            if (ClientPut(client)) {
              WriteBytes(db, client);
              Lines got;
              EXPECT_EQ(GetRecordStrings(got, "client", db), 0) << where;
              { TFileManager settled(db); }
              EXPECT_EQ(GetRecordStrings(got, "client", db), 0) << where;
              EXPECT_EQ(got, Lines{"from the client"}) << where;
              const std::vector<Lines> seen = Records();
              EXPECT_TRUE(seen == before || seen == after) << where;
              ExpectSound(db);
              WriteBytes(db, stopped);
            }
          }
          // A reader sees the file whole before anyone settles it: byte for
          // byte as the next writer leaves it.
          const std::vector<Lines> seen = Records();
          EXPECT_TRUE(seen == before || seen == after) << where;
          std::string view;
          {
            TFileManager reader(db, TFileManager::Access::ReadOnly);
            view.resize(static_cast<size_t>(reader.Length()));
            EXPECT_TRUE(reader.ReadAt(0, &view[0], static_cast<int32_t>(view.size()))) << where;
          }
          std::string notice;
          {
            TFileManager reopened(db);
            notice = reopened.Notice;
          }
          EXPECT_TRUE(view == ReadBytes(db)) << where;
          // A journal torn while it was written may leave bytes behind the
          // old end, where nothing is read. Stopped at the cut, the operation
          // had made every write: it is finished, not undone.
          const std::string bytes = ReadBytes(db);
          if (fault == Fault::Stop && at == writes) {
            EXPECT_TRUE(bytes == done) << where;
          }
          EXPECT_TRUE(bytes == base || bytes == done ||
                      (fault == Fault::Torn && bytes.compare(0, base.size(), base) == 0) ||
                      (tornSwitch && Content(bytes) == shown[0] && !notice.empty()))
              << where;
          ExpectSound(db);
          if (HasFailure()) return;
        }
        if (fault == Fault::None) {
          FaultFiles counter(Fault::None, 0);
          WriteBytes(db, base);
          ASSERT_EQ(operation(), 0);
          writes = counter.writes;
          log = counter.log;
          ASSERT_EQ(ReadBytes(db), done);
          ASSERT_GE(writes, 3);  // the journal, the file, the cut
        }
      }
      // A power cut after any step: whatever was flushed, and any subset of
      // what followed (a random thousand where there are more).
      std::mt19937_64 random(7);
      for (size_t upTo = 0; upTo <= log.size(); ++upTo) {
        size_t open = 0;
        for (size_t i = upTo; i-- > 0 && log[i].kind != DiskStep::Flush;) ++open;
        const bool all = open <= 10;
        for (uint64_t n = 0; n < (all ? uint64_t(1) << open : 1024); ++n) {
          WriteBytes(db, AfterPowerCut(base, log, upTo, all ? n : random()));
          const std::vector<Lines> seen = Records(TFileManager::Sync());
          { TFileManager settled(db); }
          const bool whole =
              (seen == before || seen == after) && InspectDatabase(ReadBytes(db)).Sound();
          ++powerCuts;
          lost += !whole;
          if (TFileManager::Sync()) {
            EXPECT_TRUE(whole) << "power cut after step " << upTo << ", subset " << n;
            if (upTo == log.size()) {
              EXPECT_TRUE(seen == after) << "a returned operation is lost";
            }
          }
          if (HasFailure()) return;
        }
      }
      WriteBytes(db, base);
    }
    const std::string mode = TFileManager::Sync() ? "" : "_no_sync";
    RecordProperty("power_cuts" + mode, powerCuts);
    RecordProperty("power_cuts_lost" + mode, lost);
    RecordProperty("stops_read_without_journal", stops);
    RecordProperty("torn_writes_read_without_journal_mixed", mixed);
  }
};

TEST_F(Faults, Put) {
  const Lines fresh = {"new", "text"};
  for (bool sync : {false, true}) {
    TFileManager::SetSync(sync);
    Run([&] { return PutRecordStrings(KeyPath({"default", "message"}), &fresh, db); });
    TFileManager::SetSync(true);
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

// The verdict on a journal, by what each phase of the commit shows: a file
// the commit's own order can leave is rolled back (or, whole, finished); any
// other mixture means another writer, and nothing is undone.
TEST_F(Faults, AJournalIsJudgedByTheCommitOrder) {
  const int64_t oldLength = 90, newLength = 100;
  Journal journal;
  journal.oldLength = oldLength;
  journal.newLength = newLength;
  auto range = [&](int64_t at, const std::string& after, const std::string& before,
                   CommitPhase phase) {
    journal.ranges.push_back(MakeRange(at, after, before, oldLength, phase));
  };
  range(60, "bbbb", "aaaa", CommitPhase::Blocks);
  range(70, "LLLLLL", "llllll", CommitPhase::Blocks);     // the first free list
  range(88, "tttt", "..", CommitPhase::Blocks);           // half behind the old end
  range(38, std::string(16, 'n'), std::string(16, 'o'), CommitPhase::Switch);
  range(70, "RRRRRRRR", "LLLLLLzz", CommitPhase::Releases);  // over the first list
  const std::string mixed = std::string(8, 'n') + std::string(8, 'o');
  const struct {
    const char* what;
    std::string blocks, list, tail, head, last;  // at 60, 70, 88, 38 and 76
    JournalVerdict verdict;
  } cases[] = {
      {"nothing written", "aaaa", "llllll", "..", std::string(16, 'o'), "zz",
       JournalVerdict::Interrupted},
      {"blocks part-way", "abab", "llllll", "t.", std::string(16, 'o'), "zz",
       JournalVerdict::Interrupted},
      {"blocks written", "bbbb", "LLLLLL", "tttt", std::string(16, 'o'), "zz",
       JournalVerdict::Interrupted},
      {"switched", "bbbb", "LLLLLL", "tttt", std::string(16, 'n'), "zz",
       JournalVerdict::Interrupted},
      {"releases part-way", "bbbb", "RRRLLL", "tttt", std::string(16, 'n'), "zz",
       JournalVerdict::Interrupted},
      {"every write made", "bbbb", "RRRRRR", "tttt", std::string(16, 'n'), "RR",
       JournalVerdict::Finished},
      {"a switch of old and new bytes", "bbbb", "LLLLLL", "tttt", mixed, "zz",
       JournalVerdict::Overtaken},
      {"a switch of old and new bytes, every write made", "bbbb", "RRRRRR", "tttt", mixed, "RR",
       JournalVerdict::Overtaken},
      {"switched before the blocks", "abab", "llllll", "t.", std::string(16, 'n'), "zz",
       JournalVerdict::Overtaken},
      {"switched before the blocks behind the old end", "bbbb", "LLLLLL", "ttxx",
       std::string(16, 'n'), "zz", JournalVerdict::Overtaken},
      {"releases before the switch", "bbbb", "RRRRRR", "tttt", std::string(16, 'o'), "RR",
       JournalVerdict::Overtaken},
      {"a free list longer than the first", "bbbb", "LLLLLL", "tttt", std::string(16, 'o'),
       "RR", JournalVerdict::Overtaken},
      {"a byte of neither", "bxbb", "llllll", "..", std::string(16, 'o'), "zz",
       JournalVerdict::Overtaken},
  };
  for (const auto& c : cases) {
    std::string bytes(static_cast<size_t>(newLength), '.');
    bytes.replace(60, 4, c.blocks);
    bytes.replace(70, 6, c.list);
    bytes.replace(88, c.tail.size(), c.tail);
    bytes.replace(38, 16, c.head);
    bytes.replace(76, 2, c.last);
    WriteBytes(db, bytes + EncodeJournal(journal));
    std::unique_ptr<DbStorage> file = CurrentDbFiles().Open(db, FileStream::Mode::OpenExisting);
    Journal found;
    int64_t size = 0;
    ASSERT_TRUE(FindJournal(*file, file->Size(), found, size)) << c.what;
    EXPECT_EQ(Judge(found, *file, file->Size(), size), c.verdict) << c.what;
  }
}

// A journal that no longer lies where it was written (at the operation's new
// length) belongs to a file someone has changed since: it is dropped, with a
// notice, and nothing is rolled back.
TEST_F(Faults, AJournalMovedByAnotherWriterIsOnlyDropped) {
  const Lines init = {"Version=0.9b0"}, fresh = {"Version=2"};
  ASSERT_EQ(PutRecordStrings("Initialization", &init, db), 0);
  {
    FaultFiles stop(Fault::Stop, 2);  // the journal is there, the file untouched
    PutRecordStrings("Initialization", &fresh, db);
  }
  std::string bytes = ReadBytes(db);
  const int64_t journalAt = Le32At(bytes, bytes.size() - 16);  // its length
  bytes.insert(bytes.size() - journalAt, "x");
  WriteBytes(db, bytes);
  EXPECT_EQ(GetInitValue("Version", "", db), "0.9b0");
  EXPECT_FALSE(DbLastNotice().empty());
  { TFileManager settled(db); }
  EXPECT_EQ(ReadBytes(db), bytes.substr(0, bytes.size() - journalAt));
}

}  // namespace
