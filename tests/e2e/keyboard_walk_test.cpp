// Both wizards walked with the keyboard alone, as many users walk them: keys
// sent as the keyboard sends them, to the real setup.exe and UninstCV.exe,
// checked from outside as the mouse walks are.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "tests/e2e/e2e_support.h"

namespace e2e {
namespace {

using namespace std::chrono_literals;
using automation::Focused;
using automation::SendKeys;
using automation::TypeKeys;

const char kUninstallCaption[] = "Un-Install Wizard";
const char kUninstallStart[] = "Click 'Next' to continue...";
const char kOptionsHeading[] = "Select Items For Removal";
const char kUninstallReview[] = "Review Un-installation";
const char kRemovedHeading[] = "Un-Installation complete!";

// The button drawn as the default on each page, the one Enter presses there.
const std::map<std::string, std::string> kDefaultButton = {
    {kStartHeading, "Next"}, {kAddressHeading, "Next"}, {kReviewHeading, "Install"}, {kDoneHeading, "Exit"},
    {kUninstallStart, "Next"}, {kOptionsHeading, "Next"}, {kUninstallReview, "Finish"}, {kRemovedHeading, "Exit"},
};

void OnPage(const Wizard& wizard, const std::string& heading) {
  wizard.WaitPage(heading);
  const std::string expected = kDefaultButton.at(heading);
  automation::WaitUntil([&] { return automation::DefaultButton(wizard.Form()).ShownText() == expected; },
                        3s, "\"" + expected + "\" as the default button of \"" + heading + "\"",
                        [&] { return "the default is " + automation::DefaultButton(wizard.Form()).Describe(); });
}

void WaitFocus(const Window& form, const Window& control, const std::string& when) {
  automation::WaitUntil([&] { return Focused(form) == control; }, 3s,
                        "the focus on " + control.Describe() + " " + when,
                        [&] { return "the focus is on " + Focused(form).Describe(); });
}

// Each press of key moves the focus on to the next control expected.
void TabWalk(const Window& form, const std::string& key, const std::vector<Window>& expected) {
  for (const Window& control : expected) {
    SendKeys(form, key);
    WaitFocus(form, control, "after " + key);
  }
}

// Escape on a Yes/No question is No: the wizard stays, the focus where it was.
void EscapeAndStay(const Wizard& wizard, const std::string& question, const std::string& caption,
                   const Window& focus) {
  SendKeys(wizard.Form(), "Escape");
  const MsgBox box = wizard.Box(question, caption);
  SendKeys(box.Box(), "Escape");
  automation::WaitGone(box.Box());
  WaitFocus(wizard.Form(), focus, "after the question");
  EXPECT_TRUE(wizard.Program().Running());
}

using KeyboardWalkTest = E2ETest;

TEST_F(KeyboardWalkTest, SetupInstallsWithTheKeyboardAlone) {
  const std::string dest = scratch / "Keyed In";
  SetupWizard setup(DistFolder());
  const Window form = setup.Form();
  OnPage(setup, kStartHeading);
  const Window folder = setup.Edit("Destination Folder");
  const Window group = setup.Button("Create Program Group");
  const Window next = setup.Button("Next");
  WaitFocus(form, next, "at the start");
  // The label's letter selects the field, so typing replaces its text.
  SendKeys(form, "alt+d");
  WaitFocus(form, folder, "after Alt+D");
  TypeKeys(form, dest);
  automation::WaitText(folder, dest);
  // Reading order; Back, disabled, is passed over.
  TabWalk(form, "Tab", {setup.Button("Browse"), group, next, setup.Button("Cancel"), folder});
  TabWalk(form, "shift+Tab", {setup.Button("Cancel"), next, group});
  // The browse dialog opens on its folder list, Escape is its Cancel, and the
  // focus comes back to Browse.
  SendKeys(form, "alt+r");
  const Window browse = setup.Program().WaitForWindow("Select Directory");
  WaitFocus(browse, browse.Get(Control{"ListBox", ""}), "in the browse dialog");
  SendKeys(browse, "Escape");
  automation::WaitGone(browse);
  WaitFocus(form, setup.Button("Browse"), "after the browse dialog");
  EXPECT_EQ(folder.Text(), dest);
  SendKeys(form, "alt+g");
  automation::WaitUntil([&] { return !group.Checked(); }, 3s, "the group box unchecked");
  SendKeys(form, "Return");

  OnPage(setup, kAddressHeading);
  const Window address = setup.Edit("Your Address:");
  const Window host = setup.Edit("SMTP Host:");
  WaitFocus(form, address, "on the Address page");
  TypeKeys(form, "jane.doe@example.org");
  SendKeys(form, "alt+h");
  WaitFocus(form, host, "after Alt+H");
  TypeKeys(form, "smtp.example.org");
  automation::WaitText(host, "smtp.example.org");
  EscapeAndStay(setup, "Quit without installing Corvaline?", kProduct, host);
  SendKeys(form, "Return");

  OnPage(setup, kReviewHeading);
  EXPECT_EQ(setup.Summary(), (Lines{"Folder = " + dest, "Address = jane.doe@example.org",
                                    "MailHost = smtp.example.org", "ProgramGroup = no"}));
  // Back turns the page: the focus goes to its first field, not onto Back.
  SendKeys(form, "alt+b");
  OnPage(setup, kAddressHeading);
  WaitFocus(form, address, "after Alt+B from the Review page");
  SendKeys(form, "alt+n");
  OnPage(setup, kReviewHeading);
  SendKeys(form, "Return");
  const MsgBox confirm = setup.Box("Install now?");
  SendKeys(confirm.Box(), "Return");
  // In the wait dialog Escape is its Cancel, with its question.
  const Window wait = setup.WaitDialog();
  automation::WaitEnabled(wait.Get(automation::ButtonControl("Cancel")), true, 5s);
  SendKeys(wait, "Escape");
  const MsgBox stop = setup.Box("Cancel process?");
  SendKeys(stop.Box(), "n");
  automation::WaitGone(wait, 20s);

  OnPage(setup, kDoneHeading);
  const Window run = setup.Button("Run Corvaline");
  SendKeys(form, "alt+r");
  automation::WaitUntil([&] { return !run.Checked(); }, 3s, "\"Run Corvaline\" unchecked");
  SendKeys(form, "Return");
  EXPECT_EQ(setup.Program().WaitExit(), 0u);

  EXPECT_EQ(ReadValue(kClientKey, "AppDir").text, dest);
  EXPECT_TRUE(FileExists(dest + "\\UninstCV.exe"));
  EXPECT_EQ(Cvdb({"get", dest + "\\CV.dbc", "default", "message"}).size(), 8u);
  EXPECT_FALSE(FolderExists(GroupFolder()));
}

TEST_F(KeyboardWalkTest, UninstallRemovesWithTheKeyboardAlone) {
  const std::string dest = scratch / "Corvaline";
  const std::string mix = scratch / "Mix";
  InstallAsUser(DistFolder(), dest, "jane.doe@example.org", "smtp.example.org");
  InstallMixmaster(mix);
  Wizard wizard(dest + "\\UninstCV.exe", "", dest, kUninstallCaption);
  const Window form = wizard.Form();
  OnPage(wizard, kUninstallStart);
  const Window next = wizard.Button("Next");
  WaitFocus(form, next, "at the start");
  SendKeys(form, "Return");

  OnPage(wizard, kOptionsHeading);
  const Window client = wizard.Button("Corvaline  { " + Lower(dest) + " }");
  const Window mixmaster = wizard.Button("Mixmaster    { " + Lower(mix) + " }");
  // The page's first box takes the focus; then the boxes and the buttons.
  WaitFocus(form, client, "on the Options page");
  TabWalk(form, "Tab", {mixmaster, wizard.Button("Back"), next, wizard.Button("Cancel"), client});
  TabWalk(form, "shift+Tab", {wizard.Button("Cancel"), next, wizard.Button("Back"), mixmaster});
  SendKeys(form, "alt+m");
  automation::WaitUntil([&] { return !mixmaster.Checked(); }, 3s, "Mixmaster unchecked");
  EscapeAndStay(wizard, "Quit without un-installing?", "Un-Install", mixmaster);
  SendKeys(form, "Return");

  OnPage(wizard, kUninstallReview);
  EXPECT_EQ(RowsOf(form.Get(Control{"Edit", ""})), (Lines{"Corvaline = YES", "Mixmaster = NO"}));
  // Back, then Enter: Enter goes on again, as Back left the focus on the page.
  SendKeys(form, "alt+b");
  OnPage(wizard, kOptionsHeading);
  WaitFocus(form, client, "after Alt+B from the Review page");
  SendKeys(form, "Return");
  OnPage(wizard, kUninstallReview);
  SendKeys(form, "Return");
  const MsgBox confirm = wizard.Box("Uninstall now?");
  SendKeys(confirm.Box(), "Return");
  automation::WaitGone(wizard.WaitDialog(), 20s);
  // Once confirmed, the removal runs to its end: nothing closes it, nothing asks.
  SendKeys(form, "Escape alt+F4");
  OnPage(wizard, kRemovedHeading);
  for (const Window& w : automation::TopWindows(wizard.Program().Id()))
    EXPECT_FALSE(automation::IsMsgBox(w)) << MsgBox(w).Describe();
  SendKeys(form, "Return");
  EXPECT_EQ(wizard.Program().WaitExit(), 0u);

  EXPECT_FALSE(KeyExists(kClientKey));
  EXPECT_EQ(Listing(dest), (Lines{"CV.dbc"}));  // the uninstaller left before it ended
  EXPECT_TRUE(KeyExists(kMixKey));
  EXPECT_TRUE(FileExists(mix + "\\mix.exe"));
}

}  // namespace
}  // namespace e2e
