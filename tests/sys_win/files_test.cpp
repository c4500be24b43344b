#include <gtest/gtest.h>
#include <gmock/gmock.h>

#include <algorithm>

#include "sys/ansi.h"
#include "sys/exception.h"
#include "sys/files.h"
#include "tests/sys_win/held_file.h"
#include "tests/sys_win/scratch.h"

using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;

namespace {
void SetAttributes(const std::string& path, DWORD attributes) {
  ASSERT_TRUE(SetFileAttributesA(path.c_str(), attributes)) << path;
}

std::string MissingDriveRoot() {
  DWORD drives = GetLogicalDrives();
  for (char letter = 'Q'; letter <= 'Y'; ++letter)
    if (!(drives & (1u << (letter - 'A')))) return std::string(1, letter) + ":\\";
  return "";
}
}  // namespace

TEST(ShortPathName, RoundTripsToTheLongPath) {
  ScratchDir dir("short");
  const std::string longFolder = dir / "A Folder With A Long Name";
  MakeDir(longFolder);
  WriteTextFile(longFolder + "\\Some Long File Name.text", "x");

  std::string shortForm = ShortPathName(longFolder + "\\Some Long File Name.text");
  ASSERT_FALSE(shortForm.empty());
  EXPECT_EQ(shortForm.find(' '), std::string::npos) << shortForm;
  EXPECT_EQ(ReadTextFile(shortForm), "x");
  char full[MAX_PATH];
  ASSERT_GT(GetLongPathNameA(shortForm.c_str(), full, sizeof full), 0u);
  EXPECT_TRUE(AnsiSameText(full, longFolder + "\\Some Long File Name.text")) << full;

  EXPECT_EQ(ShortPathName(dir / "no such folder\\file"), "");
  EXPECT_EQ(ShortPathName(""), "");
}

TEST(ForceDirectories, CreatesEveryMissingParent) {
  ScratchDir dir("force");
  EXPECT_TRUE(ForceDirectories(dir / "a\\b\\c\\"));
  EXPECT_TRUE(DirectoryExists(dir / "a\\b\\c"));
  EXPECT_TRUE(ForceDirectories(dir / "a\\b"));  // already there
  WriteTextFile(dir / "file", "x");
  EXPECT_FALSE(ForceDirectories(dir / "file\\sub"));  // a file in the way
  EXPECT_FALSE(ForceDirectories(""));
  std::string missing = MissingDriveRoot();
  if (!missing.empty()) {
    EXPECT_FALSE(ForceDirectories(missing + "a\\b"));
  }
}

TEST(ListFiles, GivesFullPathsWithoutDotEntries) {
  ScratchDir dir("list");
  WriteTextFile(dir / "a.txt", "1");
  WriteTextFile(dir / "b.dat", "2");
  WriteTextFile(dir / "h.txt", "3");
  SetAttributes(dir / "h.txt", FILE_ATTRIBUTE_HIDDEN);
  MakeDir(dir / "Sub");

  Lines list = {"stale"};
  EXPECT_EQ(ListFiles(&list, dir / "*.*", kAnyFileAttr), 4);
  EXPECT_THAT(list, UnorderedElementsAre(dir / "a.txt", dir / "b.dat", dir / "h.txt", dir / "Sub"));

  // Without a list only the count comes back.
  EXPECT_EQ(ListFiles(nullptr, dir / "*.*", kAnyFileAttr), 4);
  // Folders and hidden entries only when the mask admits them.
  EXPECT_EQ(ListFiles(&list, dir / "*.*", 0), 2);
  EXPECT_THAT(list, UnorderedElementsAre(dir / "a.txt", dir / "b.dat"));
  EXPECT_EQ(ListFiles(&list, dir / "*.txt", kAnyFileAttr), 2);
  EXPECT_THAT(list, UnorderedElementsAre(dir / "a.txt", dir / "h.txt"));

  EXPECT_EQ(ListFiles(&list, dir / "*.none", kAnyFileAttr), 0);
  EXPECT_TRUE(list.empty());
  EXPECT_EQ(ListFiles(&list, dir / "missing\\*.*", kAnyFileAttr), 0);
}

TEST(ListFolderEntries, OnlyPlainFoldersAreSubfolders) {
  ScratchDir dir("entries");
  MakeDir(dir / "Plain");
  MakeDir(dir / "Hidden");
  SetAttributes(dir / "Hidden", FILE_ATTRIBUTE_HIDDEN);
  MakeDir(dir / "System");
  SetAttributes(dir / "System", FILE_ATTRIBUTE_SYSTEM);
  WriteTextFile(dir / "File.TXT", "x");

  FolderEntries e = ListFolderEntries(dir.Path());
  const std::string lower = AnsiLowerCase(dir.Path());
  EXPECT_THAT(e.subfolders, ElementsAre(lower + "plain"));
  EXPECT_THAT(e.files, UnorderedElementsAre(lower + "hidden", lower + "system", lower + "file.txt"));
}

TEST(DeleteTree, RemovesANestedTree) {
  ScratchDir dir("tree");
  const std::string root = dir / "Root";
  MakeDir(root);
  WriteTextFile(root + "\\A File.txt", "a");
  MakeDir(root + "\\Sub Folder");
  WriteTextFile(root + "\\Sub Folder\\b.txt", "b");
  MakeDir(root + "\\Sub Folder\\Deeper");
  WriteTextFile(root + "\\Sub Folder\\Deeper\\c.txt", "c");
  MakeDir(root + "\\Empty");
  // Deleted by its own name: the system would read "c. " as "c".
  WriteTextFile("\\\\?\\" + root + "\\Empty\\c. ", "c");

  EXPECT_TRUE(DeleteTree(root + "\\"));
  EXPECT_FALSE(DirectoryExists(root));
}

TEST(DeleteTree, MissingOrEmptyFolderIsFalse) {
  ScratchDir dir("treemissing");
  EXPECT_FALSE(DeleteTree(dir / "missing"));
  EXPECT_FALSE(DeleteTree(""));
  EXPECT_TRUE(DirectoryExists(dir.Path()));
}

TEST(DeleteTree, AFolderWithAFurtherAttributeKeepsItsParents) {
  // Under Wine a folder keeps hidden and system but not read-only; either
  // makes it count as a file, which cannot be deleted as one.
  for (DWORD attribute : {FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_SYSTEM}) {
    ScratchDir dir("treekeep");
    const std::string root = dir / "root";
    MakeDir(root);
    WriteTextFile(root + "\\gone.txt", "x");
    MakeDir(root + "\\plain");
    MakeDir(root + "\\plain\\kept");
    WriteTextFile(root + "\\plain\\kept\\inside.txt", "y");
    SetAttributes(root + "\\plain\\kept", attribute);
    MakeDir(root + "\\other");
    WriteTextFile(root + "\\other\\z.txt", "z");

    EXPECT_FALSE(DeleteTree(root)) << attribute;
    EXPECT_TRUE(DirectoryExists(root + "\\plain\\kept")) << attribute;
    EXPECT_TRUE(FileExists(root + "\\plain\\kept\\inside.txt")) << attribute;
    // Everything else went.
    EXPECT_FALSE(FileExists(root + "\\gone.txt")) << attribute;
    EXPECT_FALSE(DirectoryExists(root + "\\other")) << attribute;
  }
}

TEST(DeleteTree, AFileInUseStaysAndSoDoesItsFolder) {
  ScratchDir dir("treebusy");
  const std::string root = dir / "root";
  MakeDir(root);
  WriteTextFile(root + "\\busy.exe", "x");
  WriteTextFile(root + "\\free.txt", "y");
  {
    HeldFile held(root + "\\busy.exe");
    ASSERT_TRUE(held.Held());
    EXPECT_FALSE(DeleteTree(root));
    EXPECT_TRUE(FileExists(root + "\\busy.exe"));
    EXPECT_FALSE(FileExists(root + "\\free.txt"));
  }
  EXPECT_TRUE(DeleteTree(root));
}

TEST(CopyFileViaMemory, CopiesEveryByteAndReplacesTheDestination) {
  ScratchDir dir("copymem");
  std::string content;
  for (int i = 0; i < 3 * 1024 * 1024 + 7; ++i) content += static_cast<char>(i * 7 % 256);
  WriteTextFile(dir / "src.bin", content);
  WriteTextFile(dir / "dest.bin", std::string(5 * 1024 * 1024, 'o'));  // longer than the source

  CopyFileViaMemory(dir / "dest.bin", dir / "src.bin");
  EXPECT_TRUE(ReadTextFile(dir / "dest.bin") == content);

  WriteTextFile(dir / "empty", "");
  CopyFileViaMemory(dir / "empty copy", dir / "empty");
  EXPECT_EQ(ReadTextFile(dir / "empty copy"), "");
}

TEST(CopyFileViaMemory, MissingSourceDoesNothing) {
  ScratchDir dir("copymissing");
  WriteTextFile(dir / "dest", "kept");
  EXPECT_NO_THROW(CopyFileViaMemory(dir / "dest", dir / "none"));
  EXPECT_NO_THROW(CopyFileViaMemory(dir / "new", dir / "none"));
  EXPECT_EQ(ReadTextFile(dir / "dest"), "kept");
  EXPECT_FALSE(FileExists(dir / "new"));
}

TEST(CopyFileViaMemory, RaisesStreamErrorsNamingTheFile) {
  ScratchDir dir("copyerr");
  WriteTextFile(dir / "src", "data");
  {
    HeldFile held(dir / "src");
    ASSERT_TRUE(held.Held());
    try {
      CopyFileViaMemory(dir / "dest", dir / "src");
      ADD_FAILURE() << "no EFOpenError";
    } catch (const EFOpenError& e) {
      EXPECT_EQ(std::string(e.what()), "Cannot open file " + dir / "src");
    }
    EXPECT_FALSE(FileExists(dir / "dest"));
  }
  try {
    CopyFileViaMemory(dir / "no folder\\dest", dir / "src");
    ADD_FAILURE() << "no EFCreateError";
  } catch (const EFCreateError& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot create file " + dir / "no folder\\dest");
  }
  WriteTextFile(dir / "dest", "old");
  HeldFile held(dir / "dest");
  EXPECT_THROW(CopyFileViaMemory(dir / "dest", dir / "src"), EFCreateError);
}
