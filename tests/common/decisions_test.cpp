// Decisions that need no Windows: which version is newer, what the install
// journal reads back, and which destinations a file system can hold.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

#include "common/journal_records.h"
#include "common/version.h"
#include "install/destination_rules.h"

namespace {

#ifndef _WIN32
// The version resource's four numbers for a version, as the build makes them
// (natively only: under Wine the build's cmake cannot run).
std::vector<unsigned long> FileVersion(const std::string& text) {
  const std::string command = std::string(CV_CMAKE_COMMAND) + " -DCV_VERSION_TEXT=" + text + " -P " +
                              CV_SOURCE_DIR + "/cmake/file_version.cmake 2>/dev/null";
  std::string out;
  if (FILE* p = popen(command.c_str(), "r")) {
    char buffer[128];
    while (fgets(buffer, sizeof buffer, p)) out += buffer;
    pclose(p);
  }
  std::vector<unsigned long> parts;
  for (size_t at = 0; at < out.size() && std::isdigit(static_cast<unsigned char>(out[at]));) {
    size_t end = 0;
    parts.push_back(std::stoul(out.substr(at), &end));
    at += end + 1;
  }
  return parts;
}
#endif

// Setup's order of version texts, and winget's of the PackageVersion made
// from each (its numbers part by part): the same, so that winget offers
// every upgrade setup would install.
TEST(Versions, NumericPartsAsNumbersAndABetaBelowItsRelease) {
  const char* ascending[] = {"",    "0.8",   "0.9b0", "0.9b1", "0.9b9", "0.9b10", "0.9rc1",
                             "0.9", "0.9.1", "0.10",  "1.0a1", "1.0b2", "1.0"};
  const size_t n = sizeof ascending / sizeof ascending[0];
  std::vector<std::vector<unsigned long>> winget(n);
#ifndef _WIN32
  for (size_t i = 1; i < n; ++i) {
    winget[i] = FileVersion(ascending[i]);
    ASSERT_EQ(winget[i].size(), 4u) << ascending[i];
  }
  EXPECT_EQ(winget[2], (std::vector<unsigned long>{0, 9, 0, 2000}));  // 0.9b0, the version that ships
  // What the resource cannot hold stops the build rather than misorder.
  for (const char* bad : {"0.9x1", "0.9b1000", "70000.1"})
    EXPECT_TRUE(FileVersion(bad).empty()) << bad;
#endif
  for (size_t i = 0; i < n; ++i)
    for (size_t j = 0; j < n; ++j) {
      const int c = CompareVersions(ascending[i], ascending[j]);
      EXPECT_EQ(c < 0, i < j) << ascending[i] << " vs " << ascending[j];
      EXPECT_EQ(c == 0, i == j) << ascending[i] << " vs " << ascending[j];
      if (!winget[i].empty() && !winget[j].empty())
        EXPECT_EQ(winget[i] < winget[j], i < j) << "winget: " << ascending[i] << " vs " << ascending[j];
    }
  EXPECT_EQ(CompareVersions("0.9", "0.9.0"), 0);
  EXPECT_EQ(CompareVersions("V0.9B0", "0.9b0"), 0);
  EXPECT_EQ(CompareVersions("0.99999999999999999999", "0.9"), 1);  // no overflow to a small number
}

TEST(JournalRecords, AnyFieldRoundTripsAndATornLastLineIsDropped) {
  const std::vector<JournalRecord> records = {
      {"dir", {"C:\\Apps\\Corvaline"}},
      {"aside", {"C:\\a\tb\\100%\\x\r\ny", "C:\\a\\~cv1"}},
      {"value", {"Software\\Corvaline", "AppDir", "1", "1", ToHex(std::string("C:\\\xFF\x00z", 6))}},
      {"commit", {}},
  };
  std::string bytes = std::string(kJournalHeader) + "\r\n";
  for (const JournalRecord& r : records) bytes += EncodeJournalRecord(r);
  std::vector<JournalRecord> read;
  ASSERT_TRUE(DecodeJournal(bytes, &read));
  EXPECT_EQ(read, records);
  std::string data;
  ASSERT_TRUE(FromHex(read[2].fields[4], &data));
  EXPECT_EQ(data, std::string("C:\\\xFF\x00z", 6));
  // A crash while a record was written: its change was never made.
  ASSERT_TRUE(DecodeJournal(bytes + "file\tC:\\half", &read));
  EXPECT_EQ(read, records);

  const struct {
    const char* name;
    std::string bytes;
  } refused[] = {{"no header", "dir\tC:\\x\r\n"},
                 {"the format before paths were UTF-8", "Corvaline install journal 1\r\ndir\tC:\\x\r\n"},
                 {"a bad escape", std::string(kJournalHeader) + "\r\ndir\tC:\\%4\r\n"},
                 {"a cut escape", std::string(kJournalHeader) + "\r\ndir\tC:\\%\r\n"},
                 {"no operation", std::string(kJournalHeader) + "\r\n\tC:\\x\r\n"}};
  for (const auto& r : refused) {
    EXPECT_FALSE(DecodeJournal(r.bytes, &read)) << r.name;
    EXPECT_TRUE(read.empty()) << r.name;
  }
  EXPECT_FALSE(FromHex("4G", &data));
  EXPECT_FALSE(FromHex("414", &data));
}

TEST(DestinationNames, WhatTheFileSystemCanHold) {
  const struct {
    const char* path;
    NameVerdict verdict;
  } cases[] = {
      {"C:\\Program Files\\Corvaline", NameVerdict::Usable},
      {"C:\\Apps\\Café Über\\", NameVerdict::Usable},
      {"C:\\Apps\\Почта\\邮件", NameVerdict::Usable},
      {"\\\\server\\share\\Mail", NameVerdict::Usable},
      {"Apps\\..\\Mail\\.", NameVerdict::Usable},
      {"C:/Apps/Mail/", NameVerdict::Usable},
      {"", NameVerdict::Empty},
      {"\\", NameVerdict::Empty},
      {"C:\\a|b", NameVerdict::BadName},
      {"C:\\a<b>", NameVerdict::BadName},
      {"C:\\a\"b", NameVerdict::BadName},
      {"C:\\a\\b:c", NameVerdict::BadName},
      {"C:\\a\\b*", NameVerdict::BadName},
      {"C:\\a\tb", NameVerdict::BadName},
      {"C:\\Mail.\\x", NameVerdict::BadName},
      {"C:\\Mail \\x", NameVerdict::BadName},
      {"C:\\Apps\\\\Mail", NameVerdict::BadName},
      {"C:\\Apps\\con", NameVerdict::BadName},
      {"C:\\Apps\\LPT1.txt", NameVerdict::BadName},
      {"C:\\Apps\\COM10", NameVerdict::Usable},
      {"1:\\Apps", NameVerdict::BadName},
      {"\\\\?\\C:\\Apps", NameVerdict::BadName},
  };
  for (const auto& c : cases) EXPECT_EQ(JudgeDestinationName(c.path), c.verdict) << c.path;
  EXPECT_EQ(JudgeDestinationName("C:\\" + std::string(255, 'a')), NameVerdict::Usable);
  EXPECT_EQ(JudgeDestinationName("C:\\" + std::string(256, 'a')), NameVerdict::BadName);
  // Names are counted in letters, not in the bytes of their UTF-8.
  std::string cyrillic, astral;
  for (int i = 0; i < 255; ++i) cyrillic += "ж";
  for (int i = 0; i < 127; ++i) astral += "\U0001F600";
  EXPECT_EQ(JudgeDestinationName("C:\\" + cyrillic), NameVerdict::Usable);
  EXPECT_EQ(JudgeDestinationName("C:\\" + cyrillic + "ж"), NameVerdict::BadName);
  EXPECT_EQ(JudgeDestinationName("C:\\" + astral + "a"), NameVerdict::Usable);  // two UTF-16 units each
  EXPECT_EQ(JudgeDestinationName("C:\\" + astral + "ab"), NameVerdict::BadName);
  // The longest file's whole path, at most 259 bytes of the code page.
  EXPECT_TRUE(FitsClientPath(3 + 241, "QuickStart.rtf"));
  EXPECT_FALSE(FitsClientPath(3 + 242, "QuickStart.rtf"));
}

}  // namespace
