// The Start-menu group: five real shortcuts read back through the shell's
// link object, the Programs folder from the registry or from the shell, and
// the Explorer window of a first installation.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <string>

#include "setup/SetupDlg.h"
#include "tests/setup/setup_fixture.h"
#include "tests/sys_win/link_reader.h"

namespace {

const Lines kLinkFiles = {"Corvaline.LNK", "License.LNK", "QuickStart.LNK", "ReadMe.LNK", "Uninstall CV.LNK"};

class ProgramGroupTest : public SetupTest {
 protected:
  ProgramGroupTest() {
    MakeDir(dest / "Start Menu");
    MakeDir(dest / "Start Menu\\Programs");
  }
  // Where the registry says the user's Programs folder is.
  const std::string programs = dest / "Start Menu\\Programs";
  // The group the wizard makes there: the folder read in lower case, the
  // product name as it is.
  const std::string group = Lower(programs) + "\\Corvaline\\";
};

}  // namespace

TEST_F(ProgramGroupTest, FiveShortcutsPointIntoTheDestinationInLowerCase) {
  ProgramsFolderValue value(programs);
  WriteClientKey("C:\\Old", "Corvaline");  // a reinstall opens no window
  MakeDir(group);
  WriteTextFile(group + "License.LNK", "not a link at all");  // replaced
  TSetupForm form;
  form.AppDIR.SetText("C:\\Apps\\Corvaline");
  ASSERT_TRUE(form.CreateProgramGroup());
  ASSERT_EQ(FolderNames(group), kLinkFiles);

  struct Expected {
    const char* link;
    const char* target;
    const char* description;
  };
  const Expected expected[] = {
      {"License.LNK", "c:\\apps\\corvaline\\license.txt", "License"},
      {"Corvaline.LNK", "c:\\apps\\corvaline\\cv.exe", "Corvaline"},
      {"Uninstall CV.LNK", "c:\\apps\\corvaline\\uninstcv.exe", "Uninstall Corvaline"},
      {"QuickStart.LNK", "c:\\apps\\corvaline\\quickstart.rtf", "Quick Start"},
      {"ReadMe.LNK", "c:\\apps\\corvaline\\readme.txt", "Read Me"},
  };
  for (const Expected& e : expected) {
    ShellLinkFields link;
    ASSERT_TRUE(ReadShellLink(group + e.link, &link));
    EXPECT_EQ(link.path, e.target) << e.link;
    EXPECT_EQ(link.workingDir, "c:\\apps\\corvaline\\") << e.link;
    EXPECT_EQ(link.description, e.description) << e.link;
    EXPECT_EQ(link.iconFile, e.target) << e.link;
    EXPECT_EQ(link.iconIndex, 0) << e.link;
    EXPECT_EQ(link.arguments, "") << e.link;
  }
  // A first install's window shows well within this time; a reinstall opens none.
  EXPECT_EQ(WaitForExplorerWindow(1500), "");
  EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(ProgramGroupTest, AnUncheckedBoxTouchesNothing) {
  ProgramsFolderValue value(programs);
  TSetupForm form;
  form.GroupBox.SetChecked(false);
  EXPECT_TRUE(form.CreateProgramGroup());
  EXPECT_TRUE(FolderNames(programs + "\\").empty());
  EXPECT_EQ(CloseExplorerWindows(), 0);
}

TEST_F(ProgramGroupTest, AFirstInstallOpensTheGroupInAnExplorerWindow) {
  ProgramsFolderValue value(programs);
  TSetupForm form;
  ASSERT_FALSE(form.IsExistingInstall());
  form.AppDIR.SetText(dest / "Apps");
  ASSERT_TRUE(form.CreateProgramGroup());
  EXPECT_EQ(FolderNames(group), kLinkFiles);
  const std::string caption = WaitForExplorerWindow(10000);
  EXPECT_NE(caption.find("Corvaline"), std::string::npos) << "caption: " << caption;
  EXPECT_EQ(CloseExplorerWindows(), 1);
}

TEST_F(ProgramGroupTest, WithoutTheRegistryValueTheShellsProgramsFolderIsUsed) {
  char shellPrograms[MAX_PATH] = "";
  ASSERT_EQ(SHGetFolderPathA(nullptr, CSIDL_PROGRAMS, nullptr, 0, shellPrograms), S_OK);
  const std::string shellGroup = std::string(shellPrograms) + "\\Corvaline\\";
  if (GetFileAttributesA(shellGroup.c_str()) != INVALID_FILE_ATTRIBUTES)
    GTEST_SKIP() << shellGroup << " belongs to another installation";
  {
    ProgramsFolderValue removed("");
    WriteClientKey("C:\\Old", "Corvaline");
    TSetupForm form;
    form.AppDIR.SetText("C:\\Apps\\Corvaline");
    EXPECT_TRUE(form.CreateProgramGroup());
  }
  Lines made = FolderNames(shellGroup);
  for (const std::string& name : made) DeleteFileA((shellGroup + name).c_str());
  RemoveDirectoryA(shellGroup.c_str());
  EXPECT_EQ(made, kLinkFiles);
  // Nothing at the root of the current drive.
  EXPECT_EQ(GetFileAttributesA("\\Corvaline"), INVALID_FILE_ATTRIBUTES);
}
