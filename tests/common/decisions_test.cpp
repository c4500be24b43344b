// Decisions that need no Windows: which version is newer, what the install
// journal and the install record read back, and which destinations a file
// system can hold.
#include <gtest/gtest.h>

#include "common/install_record.h"
#include "common/journal_records.h"
#include "common/version.h"
#include "install/destination_rules.h"

namespace {

TEST(Versions, NumericPartsAsNumbersAndABetaBelowItsRelease) {
  const char* ascending[] = {"", "0.8", "0.9b0", "0.9b1", "0.9", "0.9.1", "0.10", "1.0b2", "1.0"};
  const size_t n = sizeof ascending / sizeof ascending[0];
  for (size_t i = 0; i < n; ++i)
    for (size_t j = 0; j < n; ++j) {
      const int c = CompareVersions(ascending[i], ascending[j]);
      EXPECT_EQ(c < 0, i < j) << ascending[i] << " vs " << ascending[j];
      EXPECT_EQ(c == 0, i == j) << ascending[i] << " vs " << ascending[j];
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

// A record as the uninstaller needs it, field by field, in one text.
std::string Fields(const InstallRecord& r) {
  std::string text = r.user + "|" + r.version + "|" + r.folder + "|" + r.group;
  for (const RecordedFile& f : r.files)
    text += "|" + Sha256Hex(f.sha256) + " " + std::to_string(f.size) + " " + f.name;
  for (const RecordedLink& l : r.links) text += "|" + l.name + ">" + l.target;
  return text;
}

InstallRecord SampleRecord() {
  InstallRecord r;
  r.user = "S-1-5-21-1004336348-1177238915-682003330-1000";
  r.version = "0.9b0";
  r.folder = "C:\\Apps\\Почта Mail";
  r.group = "C:\\Users\\jane\\Start Menu\\Programs\\Corvaline";
  r.files = {{"CV.exe", 229376, Sha256Of("a", 1)},
             {"Read Me.txt", 0, Sha256Of("", 0)},
             {"UninstCV.exe", UINT64_MAX, Sha256Of("b", 1)}};
  r.links = {{"Corvaline.LNK", "c:\\apps\\почта mail\\cv.exe"},
             {"ReadMe.LNK", "\\\\srv\\share\\r.txt"}};
  return r;
}

// The record is what the uninstaller deletes by: it reads back exactly what
// was written, and any damage refuses the whole of it.
TEST(InstallRecords, ReadBackExactlyAndAnyDamageRefusesTheWhole) {
  std::string bytes, reason;
  ASSERT_TRUE(FormatInstallRecord(SampleRecord(), &bytes));
  InstallRecord read;
  ASSERT_TRUE(ParseInstallRecord(bytes, &read, &reason)) << reason;
  EXPECT_EQ(Fields(read), Fields(SampleRecord()));
  InstallRecord bare = SampleRecord();
  bare.group.clear();
  bare.links.clear();
  bare.files.clear();
  ASSERT_TRUE(FormatInstallRecord(bare, &bytes));
  ASSERT_TRUE(ParseInstallRecord(bytes, &read, &reason)) << reason;
  EXPECT_EQ(Fields(read), Fields(bare));

  // Every byte flipped, every length cut short: refused, nothing kept.
  ASSERT_TRUE(FormatInstallRecord(SampleRecord(), &bytes));
  for (size_t i = 0; i < bytes.size(); ++i) {
    std::string damaged = bytes;
    damaged[i] ^= 0x20;
    EXPECT_FALSE(ParseInstallRecord(damaged, &read, &reason)) << "byte " << i;
    EXPECT_TRUE(read.folder.empty() && read.files.empty());
    EXPECT_FALSE(ParseInstallRecord(bytes.substr(0, i), &read, &reason)) << "cut at " << i;
  }
  EXPECT_FALSE(ParseInstallRecord(bytes + "x", &read, &reason));
  EXPECT_FALSE(ParseInstallRecord(std::string(kMaxInstallRecordBytes + 1, 'x'), &read, &reason));

  // Fields the writer refuses, so that no record it makes fails to read.
  const struct {
    const char* name;
    void (*spoil)(InstallRecord&);
  } refused[] = {
      {"no user", [](InstallRecord& r) { r.user.clear(); }},
      {"a user that is no SID", [](InstallRecord& r) { r.user = "S-1-5--21"; }},
      {"a relative folder", [](InstallRecord& r) { r.folder = "Apps\\Mail"; }},
      {"a folder with a trailing backslash", [](InstallRecord& r) { r.folder = "C:\\Apps\\"; }},
      {"a device path", [](InstallRecord& r) { r.folder = "\\\\?\\C:\\Apps"; }},
      {"a tab in the version", [](InstallRecord& r) { r.version = "0.9\tb0"; }},
      {"broken UTF-8 in the group", [](InstallRecord& r) { r.group += "\xC3"; }},
      {"a file name with a folder", [](InstallRecord& r) { r.files[0].name = "..\\CV.exe"; }},
      {"a file named twice", [](InstallRecord& r) { r.files[1].name = "cv.EXE"; }},
      {"a link named twice", [](InstallRecord& r) { r.links[1].name = "corvaline.lnk"; }},
      {"a link to a relative target", [](InstallRecord& r) { r.links[0].target = "cv.exe"; }},
      {"links without a group", [](InstallRecord& r) { r.group.clear(); }},
  };
  for (const auto& row : refused) {
    InstallRecord spoilt = SampleRecord();
    row.spoil(spoilt);
    EXPECT_FALSE(FormatInstallRecord(spoilt, &bytes)) << row.name;
    EXPECT_TRUE(bytes.empty()) << row.name;
  }
  // Lines out of their order, re-sealed as a forger would: still refused.
  const std::string head = std::string(kInstallRecordHeader) + "\r\n";
  for (const std::string& body :
       {std::string("version\t1\r\nuser\tS-1-5-18\r\nfolder\tC:\\A\r\n"),
        std::string("user\tS-1-5-18\r\nversion\t1\r\nfolder\tC:\\A\r\nlink\tA.lnk\tC:\\A\\a\r\n"),
        std::string("user\tS-1-5-18\r\nversion\t1\r\nfolder\tC:\\A\r\ngroup\tC:\\G\r\nlink\tA."
                    "lnk\tC:\\a\r\n"
                    "file\t" +
                    std::string(64, '0') + "\t1\tA\r\n"),
        std::string("user\tS-1-5-18\r\nversion\t1\r\nfolder\tC:\\A\r\nfile\t" +
                    std::string(64, '0') + "\t01\tA\r\n"),
        std::string("user\tS-1-5-18\r\nversion\t1\r\n")}) {
    const std::string sealed = head + body;
    const std::string whole =
        sealed + "end\t" + Sha256Hex(Sha256Of(sealed.data(), sealed.size())) + "\r\n";
    EXPECT_FALSE(ParseInstallRecord(whole, &read, &reason)) << body;
  }
  const std::string sound = head + "user\tS-1-5-18\r\nversion\t\r\nfolder\tC:\\A\r\n";
  EXPECT_TRUE(ParseInstallRecord(
      sound + "end\t" + Sha256Hex(Sha256Of(sound.data(), sound.size())) + "\r\n", &read, &reason))
      << reason;
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
