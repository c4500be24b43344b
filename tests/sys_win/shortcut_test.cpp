#include <gtest/gtest.h>

#include "sys/files.h"
#include "sys/shortcut.h"
#include "sys/wide.h"
#include "tests/sys_win/link_reader.h"
#include "tests/sys_win/scratch.h"

TEST(CreateShortcut, SavesTheFieldsTheShellReadsBack) {
  ScratchDir dir("link");
  MakeDir(dir / "Apps");
  MakeDir(dir / "Apps\\Corvaline");
  const std::string target = dir / "Apps\\Corvaline\\CV.exe";
  WriteTextFile(target, "MZ");
  const std::string link = dir / "Corvaline.LNK";

  ASSERT_EQ(CreateShortcut(target, link, target, "Corvaline", ""), S_OK);
  ASSERT_TRUE(FileExists(link));
  ShellLinkFields f;
  ASSERT_TRUE(ReadShellLink(link, &f));
  EXPECT_STRCASEEQ(f.path.c_str(), target.c_str());
  // The working folder is the target's folder in lower case, with its backslash.
  std::string folder = dir / "apps\\corvaline\\";
  for (char& c : folder) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  EXPECT_EQ(f.workingDir, folder);
  EXPECT_EQ(f.description, "Corvaline");
  EXPECT_STRCASEEQ(f.iconFile.c_str(), target.c_str());
  EXPECT_EQ(f.iconIndex, 0);
  EXPECT_EQ(f.arguments, "");
}

// A link file and a description of any letters. Wine keeps a link's target
// path in the code page, so the target is given in its short form, as setup
// gives the group's shortcuts the folder in the client's form.
TEST(CreateShortcut, NamesOfAnyLettersAreSavedWhole) {
  ScratchDir dir("linknames");
  MakeDir(dir / "Почта");
  WriteTextFile(dir / "Почта\\CV.exe", "MZ");
  wchar_t shortPath[MAX_PATH] = L"";
  ASSERT_GT(GetShortPathNameW(Widen(dir / "Почта\\CV.exe").c_str(), shortPath, MAX_PATH), 0u);
  const std::string target = Narrow(shortPath);
  const std::string link = dir / "邮件.LNK";
  ASSERT_EQ(CreateShortcut(target, link, target, "Почта", ""), S_OK);
  ShellLinkFields f;
  ASSERT_TRUE(ReadShellLink(link, &f));
  EXPECT_STRCASEEQ(f.path.c_str(), target.c_str());
  EXPECT_EQ(f.description, "Почта");
}

TEST(CreateShortcut, ArgumentsOnlyWhenGivenAndAnOldLinkIsReplaced) {
  ScratchDir dir("linkargs");
  const std::string target = dir / "tool.exe";
  const std::string link = dir / "Tool.LNK";
  WriteTextFile(link, "not a link at all");
  ASSERT_EQ(CreateShortcut(target, link, target, "First", "-x \"a b\""), S_OK);
  ShellLinkFields f;
  ASSERT_TRUE(ReadShellLink(link, &f));
  EXPECT_EQ(f.arguments, "-x \"a b\"");

  // A target that does not exist still gets its shortcut.
  ASSERT_EQ(CreateShortcut(dir / "later\\ReadMe.txt", link, dir / "later\\ReadMe.txt", "Read Me", ""),
            S_OK);
  ASSERT_TRUE(ReadShellLink(link, &f));
  EXPECT_EQ(f.description, "Read Me");
  EXPECT_EQ(f.arguments, "");
}

TEST(CreateShortcut, FailureInAMissingFolderLeavesNoFile) {
  ScratchDir dir("linkfail");
  const std::string link = dir / "no such group\\License.LNK";
  EXPECT_LT(CreateShortcut(dir / "License.txt", link, dir / "License.txt", "License", ""), 0);
  EXPECT_FALSE(FileExists(link));
}
