#include "distribution/file_list.h"

#include <gtest/gtest.h>

namespace {

const std::string kHash = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";

std::string List(const std::string& lines) { return "Corvaline file list 1\r\n" + lines; }

TEST(FileList, RoundTrip) {
  const FileList files = {{"setup.exe", 315904, Sha256Of("a", 1)},
                          {"Read Me 2.txt", 0, Sha256Of("", 0)},
                          {"caf\xE9.rtf", 18446744073709551615u, Sha256Of("b", 1)}};
  std::string text;
  ASSERT_TRUE(FormatFileList(files, text).ok());
  EXPECT_EQ(text.substr(0, 23), "Corvaline file list 1\r\n");
  FileList back;
  ASSERT_TRUE(ParseFileList(text, back).ok());
  ASSERT_EQ(back.size(), files.size());
  for (size_t i = 0; i < files.size(); ++i) {
    EXPECT_EQ(back[i].name, files[i].name);
    EXPECT_EQ(back[i].size, files[i].size);
    EXPECT_EQ(back[i].sha256, files[i].sha256);
  }
  ASSERT_NE(FindListedFile(back, "SETUP.EXE"), nullptr);
  EXPECT_EQ(FindListedFile(back, "SETUP.EXE")->size, 315904u);
  EXPECT_EQ(FindListedFile(back, "setup"), nullptr);
}

TEST(FileList, RefusesMalformedLists) {
  const std::string good = kHash + " 12 a.txt\r\n";
  FileList parsed;
  ASSERT_TRUE(ParseFileList(List(good), parsed).ok());
  const std::string cases[] = {
      "",                                       // no header
      "Corvaline file list 2\r\n" + good,       // another format
      "Corvaline file list 1\n" + good,         // header without CR
      List(kHash + " 12 a.txt\n"),              // LF alone
      List(kHash + " 12 a.txt"),                // last line unended
      List(kHash + " 12 a\rb.txt\r\n"),         // CR inside a line
      List("\r\n"),                             // empty line
      List(kHash.substr(1) + " 12 a.txt\r\n"),  // short hash
      List("x" + kHash.substr(1) + " 12 a.txt\r\n"),
      List(kHash + "  12 a.txt\r\n"),  // empty size
      List(kHash + " 012 a.txt\r\n"),
      List(kHash + " -1 a.txt\r\n"),
      List(kHash + " 18446744073709551616 a.txt\r\n"),  // 2^64
      List(kHash + " 12\r\n"),                          // no name
      List(kHash + " 12 \r\n"),                         // empty name
      List(kHash + " 12 sub\\a.txt\r\n"),
      List(kHash + " 12 sub/a.txt\r\n"),
      List(kHash + " 12 ..\r\n"),
      List(kHash + " 12 ..\\setup.exe\r\n"),
      List(kHash + " 12 C:a.txt\r\n"),
      List(kHash + " 12 \\Windows\\a.dll\r\n"),
      List(kHash + " 12 a.txt.\r\n"),
      List(kHash + " 12 a.txt \r\n"),
      List(kHash + " 12 a\x01.txt\r\n"),
      List(kHash + " 12 a?.txt\r\n"),
      List(kHash + " 12 nul.txt\r\n"),
      List(kHash + " 12 COM1\r\n"),
      List(kHash + " 12 NUL .txt\r\n"),  // Windows drops the blank: the device
      List(kHash + " 12 CONIN$  .log\r\n"),
      List(kHash + " 12 " + std::string(256, 'x') + "\r\n"),
      List(good + kHash + " 13 A.TXT\r\n"),  // listed twice
  };
  for (const std::string& text : cases) {
    FileList files = {{"stale", 1, {}}};
    DistStatus status = ParseFileList(text, files);
    EXPECT_EQ(status.error, DistError::kDamaged) << text;
    EXPECT_FALSE(status.reason.empty());
    EXPECT_TRUE(files.empty()) << text;
  }
  std::string text;
  EXPECT_FALSE(FormatFileList({{"a.txt", 1, {}}, {"A.txt", 1, {}}}, text).ok());
  EXPECT_FALSE(FormatFileList({{"..\\a.txt", 1, {}}}, text).ok());
}

TEST(FileList, ChecksSizeAndContent) {
  const std::string bytes = "abc";
  MemorySource source(bytes);
  EXPECT_TRUE(CheckListedFile({"a", 3, Sha256Of("abc", 3)}, source).ok());
  EXPECT_EQ(CheckListedFile({"a", 4, Sha256Of("abc", 3)}, source).error, DistError::kDamaged);
  EXPECT_EQ(CheckListedFile({"a", 3, Sha256Of("abd", 3)}, source).error, DistError::kDamaged);
}

}  // namespace
