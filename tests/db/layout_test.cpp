// Byte layouts the client relies on: the new file, the root cell and a whole
// file after the first template is stored.
#include "db/FileMan1.h"
#include "tests/db/db_test_util.h"

namespace {

const std::string kMagic = "cvdb1xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx\n";

class Layout : public DbTest {};

TEST_F(Layout, NewFileIsMagicHeaderAndEmptyFreeList) {
  const std::string expected = kMagic + Le32(-1) + Le32(46) + Le32(0);
  {
    TFileManager manager(db);
    EXPECT_EQ(manager.Error, 0);
  }
  EXPECT_EQ(ReadBytes(db), expected);
  ASSERT_EQ(expected.size(), 50u);

  // An existing empty file is taken as new.
  WriteBytes(db, "");
  { TFileManager manager(db); }
  EXPECT_EQ(ReadBytes(db), expected);
}

TEST_F(Layout, FirstRootIndexCreatesTheRootCell) {
  {
    TFileManager manager(db);
    TFMindex root(manager, nullptr, "");
    EXPECT_EQ(root.Count(), 0);
    EXPECT_EQ(root.Position, -1);
    EXPECT_EQ(manager.RootCell, 50);
    EXPECT_EQ(manager.DataEnd, 54);
  }
  EXPECT_EQ(ReadBytes(db), kMagic + Le32(50) + Le32(54) + Le32(8) + Le32(-1) + Le32(0));
}

TEST_F(Layout, DefaultMessageInANewFile) {
  Lines message = {"Hello"};
  ASSERT_EQ(PutRecordStrings(KeyPath({"default", "message"}), &message, db), 0);

  const std::string d1 = Deflate("Hello\r\n");
  const std::string d2 = Deflate(std::string("message\r\n\0", 10));
  const std::string d3 = Deflate(std::string("default\r\n\0", 10));
  const int32_t s1 = static_cast<int32_t>(d1.size()), s2 = static_cast<int32_t>(d2.size()),
                s3 = static_cast<int32_t>(d3.size());
  const std::string data = std::string("\x02\x00\x00\x01", 4);
  const std::string index = std::string("\x01\x00\x00\x01", 4);
  const std::string expected =
      kMagic + Le32(50) + Le32(114 + s1 + s2 + s3) +                      // header
      Le32(8) + Le32(98 + s1 + s2) +                                      // root cell
      Le32(20 + s1) + data + Le32(s1) + Le32(7) + d1 + Le32(-1) +         // message
      Le32(20 + s2) + index + Le32(s2) + Le32(10) + d2 + Le32(58) +       // "default"
      Le32(20 + s3) + index + Le32(s3) + Le32(10) + d3 + Le32(78 + s1) +  // root index
      Le32(0);                                                            // free list
  EXPECT_EQ(ReadBytes(db), expected);

  Lines back;
  EXPECT_EQ(GetRecordStrings(back, KeyPath({"default", "message"}), db), 0);
  EXPECT_EQ(back, message);
  ExpectSound(db);
}

TEST_F(Layout, MagicIsNotComparedOnOpening) {
  {
    TFileManager manager(db);
    TFMindex root(manager, nullptr, "");
  }
  std::string bytes = ReadBytes(db);
  bytes.replace(0, 38, std::string(38, 'Z'));
  WriteBytes(db, bytes);
  TFileManager manager(db);
  EXPECT_EQ(manager.Error, 0);
  EXPECT_EQ(manager.RootCell, 50);
  EXPECT_EQ(manager.DataEnd, 54);
}

TEST_F(Layout, ErrorReportTexts) {
  TFileManager manager(db);
  EXPECT_EQ(manager.ReportError(5),
            "Block: " + std::to_string(manager.Step) + ", Unknown FATAL error!");
  manager.Step = 10;
  EXPECT_EQ(manager.ReportError(1), "Block: 10, Fatal write error!");
  EXPECT_EQ(manager.Report, "Block: 10, Fatal write error!");
  EXPECT_EQ(TFileManager::ErrorText(0), "No error!");
  EXPECT_EQ(TFileManager::ErrorText(2), "Fatal read error!");
  EXPECT_EQ(TFileManager::ErrorText(3), "Fatal seek error!");
}

}  // namespace
