// The Start-menu group the install makes: five real shortcuts read back
// through the shell's link object, in the shell's Programs folder.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <string>

#include "common/install_record_file.h"
#include "sys/path.h"
#include "tests/setup/setup_fixture.h"
#include "tests/sys_win/link_reader.h"

namespace {

const Lines kLinkFiles = {"Corvaline.LNK", "License.LNK", "QuickStart.LNK", "ReadMe.LNK", "Uninstall CV.LNK"};

class ProgramGroupTest : public SetupTest {
 protected:
  ProgramGroupTest() { MakeDistribution(); }
  const std::string group = GroupFolder();
};

}  // namespace

TEST_F(ProgramGroupTest, FiveShortcutsPointIntoTheDestinationInLowerCase) {
  MakeDir(group);
  WriteTextFile(group + "License.LNK", "not a link at all");  // replaced
  const std::string apps = Lower(dest / "Apps\\Corvaline\\");
  ASSERT_TRUE(Install(Choices(dest / "Apps\\Corvaline")).Done());
  ASSERT_EQ(FolderNames(group), kLinkFiles);

  struct Expected {
    const char* link;
    const char* target;
    const char* description;
  };
  // The record names the group and each shortcut with the target it starts.
  InstallRecord record;
  ASSERT_EQ(ReadInstallRecordIn(dest / "Apps\\Corvaline", &record), RecordFound::Sound);
  EXPECT_EQ(record.group, StripBackslash(group));
  EXPECT_EQ(record.links.size(), 5u);
  const Expected expected[] = {
      {"License.LNK", "license.txt", "License"},
      {"Corvaline.LNK", "cv.exe", "Corvaline"},
      {"Uninstall CV.LNK", "uninstcv.exe", "Uninstall Corvaline"},
      {"QuickStart.LNK", "quickstart.rtf", "Quick Start"},
      {"ReadMe.LNK", "readme.txt", "Read Me"},
  };
  for (const Expected& e : expected) {
    ShellLinkFields link;
    ASSERT_TRUE(ReadShellLink(group + e.link, &link));
    EXPECT_EQ(link.path, apps + e.target) << e.link;
    EXPECT_EQ(link.workingDir, apps) << e.link;
    EXPECT_EQ(link.description, e.description) << e.link;
    EXPECT_EQ(link.iconFile, apps + e.target) << e.link;
    EXPECT_EQ(link.iconIndex, 0) << e.link;
    EXPECT_EQ(link.arguments, "") << e.link;
    const RecordedLink* recorded = FindRecordedLink(record, e.link);
    ASSERT_TRUE(recorded) << e.link;
    EXPECT_EQ(recorded->target, apps + e.target) << e.link;
  }
  // The engine opens no window: that is the wizard's, on a first install.
  EXPECT_EQ(WaitForExplorerWindow(1500), "");
}

TEST_F(ProgramGroupTest, WithoutAGroupTheStartMenuIsNotTouched) {
  InstallChoices choices = Choices(dest / "Apps");
  choices.group = false;
  ASSERT_TRUE(Install(choices).Done());
  EXPECT_EQ(GetFileAttributesA(group.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(ReadClientValue("Program Group").type, 0u);
}
