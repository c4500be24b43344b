// The cvdb command line: its contract with the scripts that use it.
#include "tools/cvdb/cvdb.h"

#include <sstream>

#include "db/FileMan1.h"
#include "sys/file_stream.h"
#include "tests/db/db_test_util.h"

namespace {

class Cvdb : public DbTest {
 protected:
  int Run(std::vector<std::string> args, const std::string& input = "") {
    std::istringstream in(input);
    out.str("");
    err.str("");
    return RunCvdb(args, in, out, err);
  }
  std::ostringstream out, err;
};

TEST_F(Cvdb, PutAndGetLines) {
  EXPECT_EQ(Run({"put", db, "default", "message"}, "a\r\nb\n\nlast"), 0);
  Lines lines;
  ASSERT_EQ(GetRecordStrings(lines, KeyPath({"default", "message"}), db), 0);
  EXPECT_EQ(lines, (Lines{"a", "b", "", "last"}));
  EXPECT_EQ(Run({"get", db, "DEFAULT", "message"}), 0);
  EXPECT_EQ(out.str(), "a\nb\n\nlast\n");

  EXPECT_EQ(Run({"put", db, "empty"}, ""), 0);
  EXPECT_EQ(Run({"get", db, "empty"}), 0);
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(Run({"dump", db}), 0);
  EXPECT_NE(out.str().find("empty  [data at"), std::string::npos) << out.str();

  EXPECT_EQ(Run({"del", db, "default", "message"}), 0);
  EXPECT_EQ(Run({"get", db, "default", "message"}), 0);
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(Run({"check", db}), 0) << err.str();
}

TEST_F(Cvdb, RenameAndSettings) {
  Run({"put", db, "box", "old"}, "x\n");
  EXPECT_EQ(Run({"rename", db, "box", "old", "new"}), 0);
  EXPECT_EQ(Run({"get", db, "box", "new"}), 0);
  EXPECT_EQ(out.str(), "x\n");

  EXPECT_EQ(Run({"put", db, "Initialization"}, "Version=0.9b0\n"), 0);
  EXPECT_EQ(Run({"init-get", db, "version"}), 0);
  EXPECT_EQ(out.str(), "0.9b0\n");
  EXPECT_EQ(Run({"init-set", db, "Cutmarks", "yes"}), 0);
  EXPECT_EQ(GetInitValue("Cutmarks", "", db), "yes");
  EXPECT_EQ(Run({"init-set", db, "Cutmarks", ""}), 0);
  EXPECT_EQ(Run({"init-get", db, "Cutmarks", "none"}), 0);
  EXPECT_EQ(out.str(), "none\n");
}

// A dump shows the start of a long record and stops indenting deep entries.
TEST_F(Cvdb, DumpStaysWithinAFixedAmountPerEntry) {
  std::string lines;
  for (int i = 0; i < 5000; ++i) lines += "line " + std::to_string(i) + "\n";
  std::vector<std::string> deep = {"put", db};
  for (int i = 0; i < 12; ++i) deep.push_back("level" + std::to_string(i));
  ASSERT_EQ(Run(deep, lines), 0);
  ASSERT_EQ(Run({"dump", db}), 0);
  const std::string dump = out.str();
  EXPECT_LT(dump.size(), 16000u);
  EXPECT_NE(dump.find(std::string(16, ' ') + "(depth 11) level11  [data at"), std::string::npos)
      << dump.substr(0, 2000);
  EXPECT_NE(dump.find("more bytes)"), std::string::npos);
  EXPECT_EQ(dump.find(std::string(19, ' ')), std::string::npos);
}

// Durable unless told otherwise. A new file: its folder, for the name, then
// the journal and then the file each wait for the disk. A file with records:
// each phase of the commit (the journal with the new blocks, the switch, the
// released blocks).
TEST_F(Cvdb, WritesWaitForTheDiskUnlessToldNotTo) {
  EXPECT_TRUE(TFileManager::Sync());
  EXPECT_EQ(Run({"put", db, "k"}, "v"), 0);
  EXPECT_EQ(files.syncs, 2);
  EXPECT_EQ(files.folderSyncs, 1);
  EXPECT_EQ(Run({"put", db, "k"}, "v2"), 0);
  EXPECT_EQ(files.syncs, 5);
  EXPECT_EQ(files.folderSyncs, 1);
  EXPECT_EQ(Run({"--no-sync", "put", db, "k"}, "w"), 0);
  EXPECT_EQ(Run({"--no-sync", "put", InDir("other.dbc"), "k"}, "w"), 0);
  EXPECT_EQ(Run({"--no-sync", "get", db, "k"}), 0);
  EXPECT_EQ(out.str(), "w\n");
  EXPECT_EQ(files.syncs, 5);
  EXPECT_EQ(files.folderSyncs, 1);
  EXPECT_TRUE(TFileManager::Sync());
}

TEST_F(Cvdb, UsageErrorsExitWithTwo) {
  for (auto args : std::vector<std::vector<std::string>>{{},
                                                         {"get"},
                                                         {"frobnicate", db},
                                                         {"put", db},
                                                         {"get", db},
                                                         {"rename", db, "k"},
                                                         {"init-get", db},
                                                         {"init-set", db, "a"},
                                                         {"dump", db, "x"},
                                                         {"check"},
                                                         {"--no-sync", "get"}}) {
    EXPECT_EQ(Run(args), 2);
    EXPECT_EQ(err.str().rfind("usage: cvdb", 0), 0u);
  }
  EXPECT_FALSE(PathExists(db));
}

TEST_F(Cvdb, EngineFailuresExitWithOneAndTheirText) {
  EXPECT_EQ(Run({"check", db}), 1);
  EXPECT_EQ(err.str(), "cvdb: Cannot open file " + db + "\n");

  Run({"put", db, "Initialization"}, "Version=1\n");
  {
    TFileManager holder(db);
    EXPECT_EQ(Run({"get", db, "Initialization"}), 1);
    EXPECT_EQ(err.str(), "cvdb: " + FileStream::HeldMessage(db) + "\n");
  }
  std::string bytes = ReadBytes(db);
  WriteBytes(db, bytes.substr(0, bytes.size() - 1));
  EXPECT_EQ(Run({"put", db, "x"}, "y"), 1);
  EXPECT_EQ(err.str().rfind("cvdb: Fatal read error! (", 0), 0u) << err.str();
  EXPECT_EQ(Run({"check", db}), 1);
  EXPECT_NE(err.str().find("(offset "), std::string::npos) << err.str();

  EXPECT_EQ(Run({"put", InDir("other.dbc"), "a\nb"}, "y"), 1);
  EXPECT_EQ(err.str().rfind("cvdb: Invalid key path", 0), 0u) << err.str();
}

}  // namespace
