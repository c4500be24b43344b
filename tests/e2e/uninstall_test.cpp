// Removing with the uninstaller that setup installs, started as the Start-menu
// shortcut starts it, and with setup.exe -u; Mixmaster set up by the test as
// its own installer would leave it.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "sys/shortcut.h"
#include "sys/text.h"
#include "tests/e2e/e2e_support.h"
#include "tests/sys_win/held_file.h"
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

  // Through Options and Review to "Uninstall now?", answered OK.
  static void ConfirmAsShown(const Wizard& wizard) {
    wizard.Press("Next");
    wizard.WaitPage(kOptionsHeading);
    wizard.Press("Next");
    wizard.WaitPage(kReviewHeading);
    wizard.Press("Finish");
    wizard.Box("Uninstall now?").Answer(IDOK);
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
  // What the user has put there, or changed, is not setup's.
  WriteTextFile(dest + "\\attachment.pdf", "the user's");
  WriteTextFile(dest + "\\ReadMe.txt", "changed by the user");

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
                        "   kept (2 files setup did not install)", "      " + dest + "\\ReadMe.txt",
                        "      " + dest + "\\attachment.pdf", "   registry key...done",
                        "Removing Mixmaster...", "   program files...done", "   registry key...done",
                        "Done!"}));

  // The database and the user's files stay; the running uninstaller has
  // already left the folder, and its record with it.
  EXPECT_EQ(Listing(dest), (Lines{"CV.dbc", "ReadMe.txt", "attachment.pdf"}));
  EXPECT_EQ(FileContent(dest + "\\ReadMe.txt"), "changed by the user");
  EXPECT_EQ(Cvdb({"get", dest + "\\CV.dbc", "default", "message"}).size(), 8u);
  EXPECT_FALSE(KeyExists(kClientKey));
  EXPECT_FALSE(KeyExists(kAppsEntryKey));
  EXPECT_FALSE(KeyExists(kMixKey));
  EXPECT_FALSE(FolderExists(GroupFolder()));
  EXPECT_FALSE(FolderExists(mix));

  // After the removal, Exit closes without a question; nothing of the
  // uninstaller stays behind in the temporary folder.
  Exit(wizard);
  WaitForSelfRemoval();
  EXPECT_EQ(Listing(dest), (Lines{"CV.dbc", "ReadMe.txt", "attachment.pdf"}));
  EXPECT_EQ(TempFiles("~cvun*.exe"), Lines{});
}

// The client runs: nothing is deleted until it is closed. Items the user put
// into the program group stay with it, and so does a shortcut of the user's
// under one of setup's names; only setup's shortcuts go.
TEST_F(UninstallTest, ARunningClientIsClosedFirstAndTheUsersItemsStay) {
  InstallAsUser(DistFolder(), dest, "jane.doe@example.org", "smtp.example.org");
  WriteTextFile(GroupFolder() + "\\My Notes.lnk", "the user's");
  WriteTextFile(scratch / "notes.txt", "the user's notes");
  ASSERT_EQ(CreateShortcut(scratch / "notes.txt", GroupFolder() + "\\ReadMe.LNK", "", "My notes", ""), 0);
  const Lines installed = Listing(dest);
  Process client = Process::Start(dest + "\\CV.exe", "", dest);
  Window clientWindow = client.WaitForWindow("Corvaline");

  Wizard wizard(dest + "\\UninstCV.exe", "", dest, kUninstallCaption);
  ConfirmAsShown(wizard);
  MsgBox running = wizard.Program().WaitForMsgBox("Corvaline is running. Close it, then click Retry.", 20s);
  EXPECT_EQ(Listing(dest), installed);  // nothing deleted yet
  automation::Click(clientWindow.Get(automation::ButtonControl("Close")));
  client.WaitExit();
  running.Answer(IDRETRY);
  wizard.WaitPage(kFinishedHeading);
  const Lines log = RowsOf(wizard.Form().Get(automation::RichEditControl()));
  EXPECT_EQ(log[1], "   program group...kept (it holds other items)");
  EXPECT_EQ(Listing(GroupFolder()), (Lines{"My Notes.lnk", "ReadMe.LNK"}));
  EXPECT_FALSE(KeyExists(kClientKey));
  Exit(wizard);
}

// Another program holds a file of Mixmaster's pool: the removal asks first
// and changes nothing until it is closed.
TEST_F(UninstallTest, AProgramHoldingMixmastersPoolIsClosedFirst) {
  InstallMixmaster(mix);
  const Lines installed = Listing(mix + "\\pool\\in\\old");
  auto held = std::make_unique<HeldFile>(mix + "\\pool\\in\\old\\m1");
  Wizard wizard(DistFolder() + "\\setup.exe", "-u", DistFolder(), kUninstallCaption);
  ConfirmAsShown(wizard);
  MsgBox holding =
      wizard.Program().WaitForMsgBox("A program holds files of Mixmaster open. Close it, then click Retry.", 20s);
  EXPECT_EQ(Listing(mix + "\\pool\\in\\old"), installed);
  EXPECT_TRUE(KeyExists(kMixKey));
  held.reset();
  holding.Answer(IDRETRY);
  wizard.WaitPage(kFinishedHeading);
  EXPECT_FALSE(FolderExists(mix));
  EXPECT_FALSE(KeyExists(kMixKey));
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
