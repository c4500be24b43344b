// Decisions that need no Windows: which version is newer, what the install
// journal and the install record read back, and which destinations a file
// system can hold.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "common/install_record.h"
#include "common/journal_records.h"
#include "common/journal_rules.h"
#include "common/version.h"
#include "install/destination_rules.h"

namespace {

// CRC-32C, spelt out here as eight hexadecimal digits: "123456789" gives E3069283.
std::string Crc32cText(const std::string& text) {
  uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char c : text) {
    crc ^= c;
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0x82F63B78u & (0u - (crc & 1)));
  }
  char hex[9];
  std::snprintf(hex, sizeof hex, "%08X", crc ^ 0xFFFFFFFFu);
  return hex;
}

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
      if (!winget[i].empty() && !winget[j].empty()) {
        EXPECT_EQ(winget[i] < winget[j], i < j) << "winget: " << ascending[i] << " vs " << ascending[j];
      }
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
  DecodedJournal read = DecodeJournal(bytes);
  ASSERT_EQ(read.verdict, DecodedJournal::Verdict::Read);
  EXPECT_EQ(read.records, records);
  EXPECT_EQ(read.length, bytes.size());
  std::string data;
  ASSERT_TRUE(FromHex(read.records[2].fields[4], &data));
  EXPECT_EQ(data, std::string("C:\\\xFF\x00z", 6));
  // A crash while a record was written: its change was never made, and the
  // journal's whole records end where it began.
  const std::string torn = EncodeJournalRecord({"file", {"C:\\half"}});
  read = DecodeJournal(bytes + torn.substr(0, torn.size() - 1));
  EXPECT_EQ(read.records, records);
  EXPECT_EQ(read.length, bytes.size());
  EXPECT_EQ(DecodeJournal(bytes + std::string(512, '\0')).records, records);

  // Any byte of a whole record changed: damaged there, nothing read.
  const size_t second =
      std::string(kJournalHeader).size() + 2 + EncodeJournalRecord(records[0]).size();
  for (size_t at = second; at < second + EncodeJournalRecord(records[1]).size() - 2; ++at) {
    std::string flipped = bytes;
    flipped[at] ^= 0x01;
    read = DecodeJournal(flipped);
    EXPECT_EQ(read.verdict, DecodedJournal::Verdict::Damaged) << at;
    EXPECT_EQ(read.damaged, 1u) << at;
    EXPECT_TRUE(read.records.empty()) << at;
  }

  // A line whose checksum holds but whose text cannot be read.
  const auto withCrc = [](const std::string& text) {
    return std::string(kJournalHeader) + "\r\n" + Crc32cText(text) + "\t" + text + "\r\n";
  };
  const size_t headerLine = std::string(kJournalHeader).size() + 2;
  EXPECT_EQ(EncodeJournalRecord({"undone", {"7"}}), withCrc("undone\t7").substr(headerLine));
  const struct {
    const char* name;
    std::string bytes;
    DecodedJournal::Verdict verdict;
  } refused[] = {
      {"no header", "dir\tC:\\x\r\n", DecodedJournal::Verdict::NotAJournal},
      {"empty", "", DecodedJournal::Verdict::NotAJournal},
      {"the format without checksums", "Corvaline install journal 2\r\ndir\tC:\\x\r\n",
       DecodedJournal::Verdict::NotAJournal},
      {"a checksum of other text",
       std::string(kJournalHeader) + "\r\n" + Crc32cText("dir") + "\tdir\tC:\\x\r\n",
       DecodedJournal::Verdict::Damaged},
      {"no checksum", std::string(kJournalHeader) + "\r\ndir\tC:\\x\r\n",
       DecodedJournal::Verdict::Damaged},
      {"a bad escape", withCrc("dir\tC:\\%4"), DecodedJournal::Verdict::Damaged},
      {"a cut escape", withCrc("dir\tC:\\%"), DecodedJournal::Verdict::Damaged},
  };
  for (const auto& r : refused) {
    read = DecodeJournal(r.bytes);
    EXPECT_EQ(read.verdict, r.verdict) << r.name;
    EXPECT_TRUE(read.records.empty()) << r.name;
  }
  EXPECT_EQ(Crc32cText("123456789"), "E3069283");
  EXPECT_FALSE(FromHex("4G", &data));
  EXPECT_FALSE(FromHex("414", &data));
}

// What a journal may name: nothing outside its destination, its group and
// the product's two keys, and copies only beside their files.
TEST(JournalRules, NothingOutsideTheBounds) {
  const JournalBounds bounds = {"C:\\Apps\\Corvaline", "C:\\Menu\\Corvaline", "Software\\Corvaline",
                                "Software\\Uninstall\\Corvaline"};
  const std::string sha(64, 'a');
  const struct {
    JournalRecord record;
    bool inBounds;
  } cases[] = {
      {{"file", {"C:\\Apps\\Corvaline\\ReadMe.txt"}}, true},
      {{"file", {"c:\\apps\\CORVALINE\\ReadMe.txt"}}, true},
      {{"file", {"C:\\Menu\\Corvaline\\License.LNK"}}, true},
      {{"keep", {"C:\\Apps\\Corvaline\\ReadMe.txt"}}, true},
      {{"dir", {"C:\\Apps\\Corvaline"}}, true},
      {{"dir", {"C:\\Apps"}}, true},
      {{"dir", {"C:\\Menu\\Corvaline"}}, true},
      {{"aside", {"C:\\Apps\\Corvaline\\CV.exe", "C:\\Apps\\Corvaline\\CV.exe.~cv1", "12", sha}},
       true},
      {{"backup", {"C:\\Apps\\Corvaline\\CV.dbc", "C:\\Apps\\Corvaline\\CV.dbc.~cv999", "0", sha}},
       true},
      {{"scratch", {"C:\\Apps\\Corvaline\\CV.dbc.~cv2"}}, true},
      {{"key", {"Software\\Corvaline"}}, true},
      {{"value", {"software\\uninstall\\corvaline", "DisplayName", "0", "0", ""}}, true},
      {{"undone", {"3"}}, true},
      {{"commit", {}}, true},
      // Elsewhere on the drive, in a subfolder, above, beside.
      {{"file", {"C:\\Users\\jane\\Documents\\thesis.doc"}}, false},
      {{"file", {"Z:\\home\\jane\\notes.txt"}}, false},
      {{"file", {"C:\\Apps\\Corvaline\\sub\\ReadMe.txt"}}, false},
      {{"file", {"C:\\Apps\\Corvaline"}}, false},
      {{"file", {"C:\\Apps\\Corvaline2\\ReadMe.txt"}}, false},
      {{"file", {"C:\\Apps\\Corvaline\\..\\x.txt"}}, false},
      {{"file", {"C:\\Apps\\Corvaline\\ReadMe.txt."}}, false},
      {{"file", {"C:\\Apps\\Corvaline\\ReadMe.txt:stream"}}, false},
      {{"file", {"C:\\Apps\\Corvaline\\NUL .txt"}}, false},
      {{"dir", {"C:\\Apps\\Corvaline\\sub"}}, false},
      {{"dir", {"C:\\Users"}}, false},
      {{"dir", {"C:\\Apps\\..\\Users"}}, false},
      // Copies not of the form beside their file.
      {{"aside", {"C:\\Apps\\Corvaline\\CV.exe", "C:\\Users\\jane\\CV.exe.~cv1", "12", sha}},
       false},
      {{"aside", {"C:\\Apps\\Corvaline\\CV.exe", "C:\\Apps\\Corvaline\\ReadMe.txt", "12", sha}},
       false},
      {{"aside", {"C:\\Apps\\Corvaline\\CV.exe", "C:\\Apps\\Corvaline\\CV.exe.~cv0", "12", sha}},
       false},
      {{"aside", {"C:\\Apps\\Corvaline\\CV.exe", "C:\\Apps\\Corvaline\\CV.exe.~cv1000", "12", sha}},
       false},
      {{"aside", {"C:\\Apps\\Corvaline\\CV.exe", "C:\\Apps\\Corvaline\\CV.exe.~cv01", "12", sha}},
       false},
      {{"aside", {"C:\\Apps\\Corvaline\\CV.exe", "C:\\Apps\\Corvaline\\CV.exe.~cv1"}}, false},
      {{"aside", {"C:\\Apps\\Corvaline\\CV.exe", "C:\\Apps\\Corvaline\\CV.exe.~cv1", "x", sha}},
       false},
      {{"scratch", {"C:\\Apps\\Corvaline\\CV.dbc"}}, false},
      {{"scratch", {"C:\\Users\\jane\\CV.dbc.~cv1"}}, false},
      // Keys other than the product's.
      {{"key", {"Software\\Wine"}}, false},
      {{"key", {"Software\\Corvaline\\..\\Wine"}}, false},
      {{"value", {"Software\\Wine", "x", "0", "0", ""}}, false},
      {{"value", {"Software\\Corvaline", "x", "2", "0", ""}}, false},
      // Nothing else.
      {{"delete", {"C:\\Apps\\Corvaline\\CV.exe"}}, false},
      {{"bounds", {"C:\\", "", "Software", "Software"}}, false},
      {{"file", {"C:\\Apps\\Corvaline\\a", "b"}}, false},
      {{"undone", {"x"}}, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RecordFault(c.record, bounds).empty(), c.inBounds)
        << c.record.op << " " << (c.record.fields.empty() ? "" : c.record.fields[0]);
  }

  // The journal as a whole: bounds first, plain paths, marks for earlier records.
  const JournalRecord first = BoundsRecord(bounds);
  const JournalRecord file = {"file", {"C:\\Apps\\Corvaline\\ReadMe.txt"}};
  const struct {
    std::vector<JournalRecord> records;
    bool trusted;
  } journals[] = {
      {{first, file, {"undone", {"1"}}}, true},
      {{first}, true},
      {{}, false},
      {{file}, false},
      {{first, file, {"undone", {"2"}}}, false},
      {{first, file, {"undone", {"0"}}}, false},
      {{BoundsRecord({"Apps\\Corvaline", "", "k", "k"})}, false},
      {{BoundsRecord({"C:\\Apps\\..\\Corvaline", "", "k", "k"})}, false},
      {{BoundsRecord({"\\\\?\\C:\\Apps", "", "k", "k"})}, false},
      {{BoundsRecord({"\\\\server\\share\\Apps", "", "k", "k"})}, true},
      {{first, {"file", {"C:\\Windows\\win.ini"}}}, false},
  };
  for (const auto& j : journals) {
    JournalBounds read;
    EXPECT_EQ(JournalFault(j.records, &read).empty(), j.trusted) << j.records.size();
  }
  EXPECT_TRUE(IsCopyName("CV.exe.~CV12"));
  EXPECT_TRUE(IsCopyName("ReadMe.txt.~cv0"));
  EXPECT_FALSE(IsCopyName("ReadMe.txt.~cv"));
  EXPECT_FALSE(IsCopyName("ReadMe.~cvx"));
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
      {"C:\\Apps\\NUL .txt", NameVerdict::BadName},
      {"C:\\Apps\\CONIN$  .log", NameVerdict::BadName},
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
