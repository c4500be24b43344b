// Removing with the uninstaller that setup installs, started as the Start-menu
// shortcut starts it, and with setup.exe -u; Mixmaster set up by the test as
// its own installer would leave it.
#include <gtest/gtest.h>

#include <algorithm>

#include "sys/text.h"
#include "tests/e2e/e2e_support.h"
#include "tests/sys_win/link_reader.h"

namespace e2e {
namespace {

using namespace std::chrono_literals;

const char kUninstallCaption[] = "Un-Install Wizard";
const char kOptionsHeading[] = "Select Items For Removal";
const char kReviewHeading[] = "Review Un-installation";
const char kFinishedHeading[] = "Un-Installation complete!";

class UninstallTest : public E2ETest {
 protected:
  std::string dest = scratch / "Corvaline";
  std::string mix = scratch / "Mix";

  // The uninstall wizard's Options, Review and Finish pages walked with both
  // boxes as they are; returns the log.
  static Lines RemoveAsShown(const Wizard& wizard, const Lines& review) {
    wizard.Press("Next");
    wizard.WaitPage(kReviewHeading);
    EXPECT_EQ(RowsOf(wizard.Form().Get(Control{"Edit", ""})), review);
    EXPECT_EQ(wizard.Button("Finish").ShownText(), "Finish");
    wizard.ConfirmAndWait("Finish", "Uninstall now?", kFinishedHeading);
    // Only Exit is left.
    EXPECT_FALSE(wizard.Button("Back").Enabled());
    EXPECT_FALSE(wizard.Button("Finish").Enabled());
    EXPECT_TRUE(wizard.Button("Exit").Enabled());
    EXPECT_NO_THROW(wizard.Label("Thanks!"));
    return RowsOf(wizard.Form().Get(automation::RichEditControl()));
  }

  static void Exit(Wizard& wizard) {
    wizard.Press("Exit");
    EXPECT_EQ(wizard.Program().WaitExit(), 0u);
  }

  // An uninstaller copy outside any installation.
  std::string LooseUninstaller() {
    const std::string exe = scratch / "UninstCV.exe";
    EXPECT_TRUE(CopyFileA((DistFolder() + "\\setup.exe").c_str(), exe.c_str(), FALSE));
    return exe;
  }
};

TEST_F(UninstallTest, RemovesBothComponentsAsAUserWould) {
  InstallAsUser(DistFolder(), dest, "jane.doe@example.org", "smtp.example.org");
  ASSERT_TRUE(FolderExists(GroupFolder()));
  EXPECT_TRUE(KeyExists(kAppsEntryKey));
  InstallMixmaster(mix);
  const std::string version = ReadValue(kClientKey, "Version").text;

  // As the Start-menu shortcut starts it: its target, in its working folder.
  ShellLinkFields shortcut;
  ASSERT_TRUE(ReadShellLink(GroupFolder() + "\\Uninstall CV.LNK", &shortcut));
  ASSERT_EQ(shortcut.path, Lower(dest + "\\UninstCV.exe"));
  Wizard wizard(shortcut.path, shortcut.arguments, shortcut.workingDir, kUninstallCaption);
  wizard.WaitPage("Click 'Next' to continue...");
  EXPECT_EQ(wizard.Label("Corvaline ").Text(), "Corvaline " + version);
  EXPECT_FALSE(wizard.Button("Back").Enabled());
  wizard.Press("Next");
  wizard.WaitPage(kOptionsHeading);
  const Window client = wizard.Button("Corvaline  { " + Lower(dest) + " }");
  const Window mixmaster = wizard.Button("Mixmaster    { " + Lower(mix) + " }");
  EXPECT_TRUE(client.Checked() && client.Enabled());
  EXPECT_TRUE(mixmaster.Checked() && mixmaster.Enabled());

  const Lines log = RemoveAsShown(wizard, {"Corvaline = YES", "Mixmaster = YES"});
  EXPECT_EQ(log, (Lines{"Removing Corvaline...", "   program group...done", "   program files...done",
                        "   registry key...done", "Removing Mixmaster...", "   program files...done",
                        "   registry key...done", "Done!"}));

  // The database stays; the running uninstaller goes once it has ended.
  Lines left = Listing(dest);
  left.erase(std::remove(left.begin(), left.end(), "UninstCV.exe"), left.end());
  EXPECT_EQ(left, (Lines{"CV.dbc"}));
  EXPECT_EQ(Cvdb({"get", dest + "\\CV.dbc", "default", "message"}).size(), 8u);
  EXPECT_FALSE(KeyExists(kClientKey));
  EXPECT_FALSE(KeyExists(kAppsEntryKey));
  EXPECT_FALSE(KeyExists(kMixKey));
  EXPECT_FALSE(FolderExists(GroupFolder()));
  EXPECT_FALSE(FolderExists(mix));

  // After the removal, Exit closes without a question.
  Exit(wizard);
  WaitForSelfRemoval();
  EXPECT_EQ(Listing(dest), (Lines{"CV.dbc"}));  // the uninstaller gone too
}

// The client runs: nothing is deleted until it is closed. Items the user put
// into the program group stay with it; only setup's shortcuts go.
TEST_F(UninstallTest, ARunningClientIsClosedFirstAndTheUsersItemsStay) {
  InstallAsUser(DistFolder(), dest, "jane.doe@example.org", "smtp.example.org");
  WriteTextFile(GroupFolder() + "\\My Notes.lnk", "the user's");
  const Lines installed = Listing(dest);
  Process client = Process::Start(dest + "\\CV.exe", "", dest);
  Window clientWindow = client.WaitForWindow("Corvaline");

  Wizard wizard(dest + "\\UninstCV.exe", "", dest, kUninstallCaption);
  wizard.Press("Next");
  wizard.WaitPage(kOptionsHeading);
  wizard.Press("Next");
  wizard.WaitPage(kReviewHeading);
  wizard.Press("Finish");
  wizard.Box("Uninstall now?").Answer(IDOK);
  MsgBox running = wizard.Program().WaitForMsgBox("Corvaline is running. Close it, then click Retry.", 20s);
  EXPECT_EQ(Listing(dest), installed);  // nothing deleted yet
  automation::Click(clientWindow.Get(automation::ButtonControl("Close")));
  client.WaitExit();
  running.Answer(IDRETRY);
  wizard.WaitPage(kFinishedHeading);
  const Lines log = RowsOf(wizard.Form().Get(automation::RichEditControl()));
  EXPECT_EQ(log[1], "   program group...kept (it holds other items)");
  EXPECT_EQ(Listing(GroupFolder()), (Lines{"My Notes.lnk"}));
  EXPECT_FALSE(KeyExists(kClientKey));
  Exit(wizard);
}

TEST_F(UninstallTest, NothingToUninstall) {
  Wizard wizard(LooseUninstaller(), "", scratch.Path(), kUninstallCaption);
  const Window notice = wizard.Form().Get(automation::RichEditControl());
  EXPECT_EQ(RowsOf(notice), (Lines{"Neither Corvaline nor Mixmaster are installed on this machine!",
                                   "Nothing to un-install!"}));
  EXPECT_FALSE(wizard.Button("Next").Enabled());
  EXPECT_FALSE(wizard.Label("Click 'Next' to continue...").Enabled());
  wizard.Press("Cancel");
  EXPECT_EQ(wizard.Program().WaitExit(), 9u);  // nothing to uninstall
  EXPECT_EQ(Listing(scratch.Path()), (Lines{"UninstCV.exe"}));
}

// setup.exe -u runs the uninstaller too; here only Mixmaster is installed.
TEST_F(UninstallTest, OnlyMixmasterWithSetupMinusU) {
  InstallMixmaster(mix);
  Wizard wizard(DistFolder() + "\\setup.exe", "-u", DistFolder(), kUninstallCaption);
  wizard.Press("Next");
  wizard.WaitPage(kOptionsHeading);
  const Window client = wizard.Button("Corvaline  { not installed }");
  const Window mixmaster = wizard.Button("Mixmaster    { " + Lower(mix) + " }");
  EXPECT_FALSE(client.Checked());
  EXPECT_FALSE(client.Enabled());
  EXPECT_TRUE(mixmaster.Checked() && mixmaster.Enabled());

  const Lines log = RemoveAsShown(wizard, {"Corvaline = NO", "Mixmaster = YES"});
  EXPECT_EQ(log, (Lines{"Removing Mixmaster...", "   program files...done", "   registry key...done",
                        "Done!"}));
  EXPECT_FALSE(KeyExists(kMixKey));
  EXPECT_FALSE(FolderExists(mix));
  EXPECT_EQ(Listing(scratch.Path()), Lines{});
  Exit(wizard);
}

}  // namespace
}  // namespace e2e
