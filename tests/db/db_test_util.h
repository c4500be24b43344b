// Helpers of the record-store tests: a scratch folder per test, whole files as
// byte strings, an independent deflate, and a catcher for the engine's reports.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "db/storage.h"
#include "sys/lines.h"

// One step the engine took on the disk: a write, a cut or a flush.
struct DiskStep {
  enum Kind { Write, Cut, Flush } kind;
  int64_t at;
  std::string bytes;
};
std::string Apply(std::string file, const DiskStep& step);

// The system's files, except that a flush is only counted: what reaches the
// disk is the power-loss model's business (fault_test.cpp), and a real flush
// per write would make the suite wait on the disk thousands of times. With
// logging, every step is kept, a write that reaches behind the file's end as
// two (a disk may keep the pages the file had and lose the new ones). Next
// tells how many of count bytes of a write (a cut or a deletion counts as
// one) reach the disk, and how many the engine is told.
class TestFiles : public DbFiles {
 public:
  std::unique_ptr<DbStorage> Open(const std::string& name, FileStream::Mode mode) override;
  bool Remove(const std::string& name) override;
  // Counted and logged as a flush, not made.
  bool SyncFolder(const std::string& name) override;
  virtual std::pair<size_t, size_t> Next(size_t count) { return {count, count}; }

  int syncs = 0;
  int folderSyncs = 0;
  bool logging = false;
  std::vector<DiskStep> log;
};

// Each test gets an empty folder of its own, removed afterwards; db is the
// name of a database file in it (not created). The engine's files are a
// TestFiles for the test's length.
class DbTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  std::string InDir(const std::string& name) const;

  std::string dir;
  std::string db;
  TestFiles files;
};

// Key components joined by the byte 0xFF.
std::string KeyPath(const std::vector<std::string>& keys);

std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);
bool PathExists(const std::string& path);

std::string Le32(int32_t value);
int32_t Le32At(const std::string& bytes, size_t offset);
// One deflate call as the file format has it: level -1, method 8, window bits
// 15, memory level 9, strategy 0.
std::string Deflate(const std::string& bytes);

// While alive, the engine's reports are collected here instead of printed.
class ReportCatcher {
 public:
  ReportCatcher();
  ~ReportCatcher();
  struct Report {
    std::string caption, text;
    bool ownedByMainWindow;
  };
  static std::vector<Report>& Reports();
};

// Fails the current test with the inspector's first fault when file is not sound.
void ExpectSound(const std::string& file);
