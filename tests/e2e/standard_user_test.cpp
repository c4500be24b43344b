// Installing as a standard user, who may not write Program Files (as on
// Windows under UAC for a program that is not elevated) nor read-only files.
// These tests run in the unprivileged kind of Wine session.
#include <shlobj.h>

#include <gtest/gtest.h>

#include "tests/e2e/e2e_support.h"
#include "tests/sys_win/link_reader.h"

namespace e2e {
namespace {

using namespace std::chrono_literals;

const char kAddress[] = "jane.doe@example.org";
const char kHost[] = "smtp.example.org";

std::string ShellFolder(int csidl) {
  char path[MAX_PATH] = "";
  SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
  return path;
}

bool ReadOnly(const std::string& path) {
  return (GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY) != 0;
}

class StandardUserTest : public E2ETest {
 protected:
  ~StandardUserTest() override { RemoveTree(own); }
  // The user's own programs folder, where setup installs instead.
  const std::string own = ShellFolder(CSIDL_LOCAL_APPDATA) + "\\Programs\\Corvaline";
};

TEST_F(StandardUserTest, ProgramFilesGivesWayToTheUsersOwnProgramsFolder) {
  const std::string programFiles = ShellFolder(CSIDL_PROGRAM_FILES);
  const Lines before = Listing(programFiles);
  SetupWizard setup(DistFolder());
  // Proposed from the start; finding out left nothing in Program Files.
  EXPECT_EQ(setup.Edit("Destination Folder").Text(), own);
  EXPECT_EQ(Listing(programFiles), before);

  // Typed anyway: No goes back to the Start page, Yes installs into the own folder.
  const std::string typed = programFiles + "\\Corvaline";
  setup.FillStart(typed);
  setup.FillAddress(kAddress, kHost);
  const std::string offer = "You do not have the rights to install into\n" + typed +
                            "\n\nInstall into your own programs folder\n" + own + "\ninstead?";
  for (int answer : {IDNO, IDYES}) {
    setup.Press("Install");
    setup.Box("Install now?").Answer(IDOK);
    setup.Program().WaitForMsgBox(offer, 20s).Answer(answer);
    if (answer == IDNO) {
      setup.WaitPage(kStartHeading);
      EXPECT_EQ(setup.Edit("Destination Folder").Text(), typed);
      setup.Press("Next");
      setup.Press("Next");
    }
  }
  setup.WaitPage(kDoneHeading);
  EXPECT_EQ(Listing(programFiles), before);
  EXPECT_TRUE(FileExists(own + "\\CV.exe"));
  EXPECT_EQ(ReadValue(kClientKey, "AppDir").text, own);
  ShellLinkFields link;
  ASSERT_TRUE(ReadShellLink(GroupFolder() + "\\Corvaline.LNK", &link));
  EXPECT_EQ(link.path, Lower(own + "\\CV.exe"));
  setup.DontRunClient();
  setup.CloseExplorer();
  setup.Press("Exit");
  EXPECT_EQ(setup.Program().WaitExit(), 0u);
}

// A distribution on read-only media: setup reads it, installs files the user
// can replace, and replaces its own read-only files on a later install.
TEST_F(StandardUserTest, ReadOnlyDistributionInstallsAndInstallsAgain) {
  const std::string cd = scratch / "CD";
  ASSERT_TRUE(CreateDirectoryA(cd.c_str(), nullptr));
  for (const std::string& name : Listing(DistFolder())) {
    const std::string copy = cd + "\\" + name;
    ASSERT_TRUE(CopyFileA((DistFolder() + "\\" + name).c_str(), copy.c_str(), FALSE)) << name;
    ASSERT_TRUE(SetFileAttributesA(copy.c_str(), FILE_ATTRIBUTE_READONLY)) << name;
  }
  const std::string dest = scratch / "Corvaline";
  InstallAsUser(cd, dest, kAddress, kHost);
  for (const std::string& name : Listing(dest)) EXPECT_FALSE(ReadOnly(dest + "\\" + name)) << name;

  // As an older setup left it: a read-only file of its own.
  const std::string readMe = dest + "\\ReadMe.txt";
  WriteTextFile(readMe, "old");
  ASSERT_TRUE(SetFileAttributesA(readMe.c_str(), FILE_ATTRIBUTE_READONLY));
  SetupWizard again(cd);
  again.WaitPage(kReviewHeading);
  again.Install();
  EXPECT_EQ(FileContent(readMe), FileContent(cd + "\\ReadMe.txt"));
  EXPECT_FALSE(ReadOnly(readMe));
  again.DontRunClient();
  again.Press("Exit");
  EXPECT_EQ(again.Program().WaitExit(), 0u);
  for (const std::string& name : Listing(cd)) SetFileAttributesA((cd + "\\" + name).c_str(), 0);
}

}  // namespace
}  // namespace e2e
