#include <gtest/gtest.h>

#include "sys/ansi.h"
#include "sys/lines.h"
#include "sys/path.h"
#include "sys/text.h"

TEST(GetToken, SkipsEmptyFieldsBetweenDelimiters) {
  const std::string text = ",a,,b,";
  EXPECT_EQ(GetToken(0, text, ",", "dflt"), "a");
  EXPECT_EQ(GetToken(1, text, ",", "dflt"), "b");
  EXPECT_EQ(GetToken(2, text, ",", "dflt"), "dflt");
  EXPECT_EQ(GetToken(-1, text, ",", "dflt"), "dflt");
  EXPECT_EQ(GetToken(0, "", ",", "dflt"), "dflt");
  EXPECT_EQ(GetToken(0, ",,,", ",", "dflt"), "dflt");
}

TEST(GetToken, MultiCharacterDelimiterSplitsOnlyAtTheWholeDelimiter) {
  EXPECT_EQ(GetToken(0, "a-b--c", "--", ""), "a-b");
  EXPECT_EQ(GetToken(1, "a-b--c", "--", ""), "c");
}

TEST(GetToken, KeyPathsSplitAtByteFF) {
  const std::string path = "\xFF" "DEFAULT\xFF\xFF" "Message\xFF";
  EXPECT_EQ(GetToken(0, path, "\xFF", ""), "DEFAULT");
  EXPECT_EQ(GetToken(1, path, "\xFF", ""), "Message");
  EXPECT_EQ(GetToken(2, path, "\xFF", ""), "");
}

TEST(Backslash, AddAndStripTouchOnlyTheLastCharacter) {
  EXPECT_EQ(AddBackslash("C:\\Apps"), "C:\\Apps\\");
  EXPECT_EQ(AddBackslash("C:\\Apps\\"), "C:\\Apps\\");
  EXPECT_EQ(AddBackslash(""), "");
  EXPECT_EQ(AddBackslash("\\"), "\\");
  EXPECT_EQ(StripBackslash("C:\\Apps\\\\"), "C:\\Apps\\");
  EXPECT_EQ(StripBackslash("C:\\"), "C:");
  EXPECT_EQ(StripBackslash("\\"), "");
  EXPECT_EQ(StripBackslash("C:\\Apps"), "C:\\Apps");
}

TEST(PathParts, FileNameFolderAndExtension) {
  EXPECT_EQ(ExtractFileName("C:\\Dist\\setup.exe"), "setup.exe");
  EXPECT_EQ(ExtractFileName("C:setup.exe"), "setup.exe");
  EXPECT_EQ(ExtractFilePath("C:\\Dist\\setup.exe"), "C:\\Dist\\");
  EXPECT_EQ(ChangeFileExt("C:\\DIST\\SETUP.EXE", ".dbc"), "C:\\DIST\\SETUP.dbc");
  EXPECT_EQ(ChangeFileExt("CV.exe", ".ini"), "CV.ini");
  // A dot in a folder name is not an extension.
  EXPECT_EQ(ChangeFileExt("C:\\a.b\\cv", ".pgp"), "C:\\a.b\\cv.pgp");
  EXPECT_EQ(ChangeFileExt("cv.pgp", ".pgp") + ".bak", "cv.pgp.bak");
}

TEST(Ansi, CaseConversionsKeepHighBytesOutsideTheCodePage) {
  EXPECT_EQ(AnsiLowerCase("SETUP.EXE"), "setup.exe");
  EXPECT_EQ(AnsiLowerCase("\xC4\xD6\xDC"), "\xE4\xF6\xFC");
  EXPECT_EQ(AnsiUpperCase("\xE4\xFF"), "\xC4\x9F");
  EXPECT_EQ(AnsiLowerCase("a\xFF" "b"), "a\xFF" "b");
  EXPECT_EQ(AnsiLowerCase("\xD7\xF7"), "\xD7\xF7");  // multiply and divide signs
  EXPECT_TRUE(AnsiSameText("Default", "DEFAULT"));
  EXPECT_TRUE(AnsiSameText("\xC4pfel", "\xE4PFEL"));
  EXPECT_FALSE(AnsiSameText("default", "defaults"));
}

TEST(Lines, TextFormRoundTripsAndSplitsAtEveryLineEnd) {
  EXPECT_EQ(LinesToText({"a", "", "b"}), "a\r\n\r\nb\r\n");
  EXPECT_EQ(LinesToText({}), "");
  EXPECT_EQ(TextToLines("a\r\nb\rc\nd"), (Lines{"a", "b", "c", "d"}));
  EXPECT_EQ(TextToLines("a\r\r\nb\r\n"), (Lines{"a", "", "b"}));
  EXPECT_EQ(TextToLines(std::string("a\r\nb\0c\r\n", 8)), (Lines{"a", "b"}));
  EXPECT_TRUE(TextToLines("").empty());
  EXPECT_EQ(TextToLines("\r\n"), (Lines{""}));
  EXPECT_EQ(IndexOfText({"x", "Bob@Example.COM"}, "bob@example.com"), 1);
  EXPECT_EQ(IndexOfText({"x"}, "y"), -1);
}

TEST(Trim, RemovesBlanksAndControlCharactersAtBothEnds) {
  EXPECT_EQ(Trim(" \t\r\nabc \x01"), "abc");
  EXPECT_EQ(Trim("a b"), "a b");
  EXPECT_EQ(Trim("   "), "");
  EXPECT_EQ(ReplaceAll("a <DOT> b <DOT> c", " <DOT> ", "."), "a.b.c");
  EXPECT_EQ(RemoveChar("a\r\nb\r", '\r'), "a\nb");
}

TEST(PathParts, AbsolutePathsNameOnePlaceWhateverTheCurrentFolder) {
  for (const char* path : {"C:\\", "c:/x", "z:\\a\\b", "\\\\server\\share", "//server/share"})
    EXPECT_TRUE(IsAbsolutePath(path)) << path;
  for (const char* path : {"", "C:", "C:cv", "\\cv", "cv", ".\\", "..", "1:\\x", "\xC4:\\x"})
    EXPECT_FALSE(IsAbsolutePath(path)) << path;
}
