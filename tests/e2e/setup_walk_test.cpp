// The setup wizard's pages walked as a user would, with the real setup.exe of
// the sample distribution: the Next rule, the review, Back, the quit question,
// the About box, the wait dialog's Cancel and the browse dialog. Nothing here
// installs; each test checks that nothing was.
#include <gtest/gtest.h>

#include "sys/path.h"
#include "sys/text.h"
#include "tests/e2e/e2e_support.h"

namespace e2e {
namespace {

using namespace std::chrono_literals;
using automation::Click;

const char kDefaultFolder[] = "C:\\Program Files\\Corvaline";

class SetupWalkTest : public E2ETest {
 protected:
  void ExpectNothingInstalled() {
    EXPECT_FALSE(KeyExists(kClientKey));
    EXPECT_FALSE(FolderExists(GroupFolder()));
    EXPECT_FALSE(FolderExists(kDefaultFolder));
  }

  // Waits until the button's enabled state is enabled, as the user would see it.
  static void ExpectEnabled(const Window& button, bool enabled, const std::string& why) {
    EXPECT_NO_THROW(automation::WaitEnabled(button, enabled, 3s)) << why;
  }

  SetupWizard setup{DistFolder()};
};

TEST_F(SetupWalkTest, StartPageClosesWithoutQuestion) {
  setup.WaitPage(kStartHeading);
  EXPECT_EQ(setup.Edit("Destination Folder").Text(), kDefaultFolder);
  EXPECT_FALSE(setup.Button("Back").Enabled());
  automation::PressEscape(setup.Form());
  EXPECT_EQ(setup.Program().WaitExit(), 11u);  // cancelled
  ExpectNothingInstalled();
}

TEST_F(SetupWalkTest, NextRuleReviewAndBack) {
  setup.Press("Next");
  setup.WaitPage(kAddressHeading);
  const Window next = setup.Button("Next");
  const Window address = setup.Edit("Your Address:");
  const Window host = setup.Edit("SMTP Host:");
  EXPECT_TRUE(setup.Button("Back").Enabled());
  ExpectEnabled(next, false, "both fields empty");

  automation::Type(address, "J");
  ExpectEnabled(next, false, "no host yet");
  automation::Type(host, "m");
  ExpectEnabled(next, true, "one character in each field");
  automation::Backspace(host);
  ExpectEnabled(next, false, "the host's character deleted");
  automation::Type(host, "m");
  ExpectEnabled(next, true, "the host typed again");
  automation::Backspace(address);
  ExpectEnabled(next, false, "the address's character deleted");
  // A blank counts as a character.
  automation::Type(address, " ");
  automation::Type(host, " ");
  ExpectEnabled(next, true, "a blank in each field");

  automation::Type(address, "Jane Doe <jane.doe@example.org>");
  automation::Type(host, "smtp.example.org");
  setup.Press("Next");
  setup.WaitPage(kReviewHeading);
  EXPECT_EQ(setup.Summary(), (Lines{"Folder = C:\\Program Files\\Corvaline",
                                    "Address = Jane Doe <jane.doe@example.org>",
                                    "MailHost = smtp.example.org", "ProgramGroup = yes"}));
  EXPECT_EQ(next.ShownText(), "Install");
  EXPECT_TRUE(setup.Button("Back").Enabled());

  // Back keeps what was typed, and Next says Next again.
  setup.Press("Back");
  setup.WaitPage(kAddressHeading);
  EXPECT_EQ(address.Text(), "Jane Doe <jane.doe@example.org>");
  EXPECT_EQ(next.ShownText(), "Next");
  ExpectEnabled(next, true, "both fields filled");
  setup.Press("Back");
  setup.WaitPage(kStartHeading);
  ExpectEnabled(setup.Button("Back"), false, "the first page");

  // The review follows the check box and the folder as they are now.
  const Window group = setup.Button("Create Program Group");
  Click(group);
  automation::WaitUntil([&] { return !group.Checked(); }, 3s, "the group box unchecked");
  automation::Type(setup.Edit("Destination Folder"), "D:\\Mail");
  setup.Press("Next");
  setup.WaitPage(kAddressHeading);
  setup.Press("Next");
  setup.WaitPage(kReviewHeading);
  EXPECT_EQ(setup.Summary(), (Lines{"Folder = D:\\Mail", "Address = Jane Doe <jane.doe@example.org>",
                                    "MailHost = smtp.example.org", "ProgramGroup = no"}));
}

TEST_F(SetupWalkTest, QuitQuestionNoThenYes) {
  setup.Press("Next");
  setup.WaitPage(kAddressHeading);
  setup.Press("Cancel");
  MsgBox question = setup.Box("Quit without installing Corvaline?");
  EXPECT_EQ(question.Buttons(), (std::vector<std::string>{"Yes", "No"}));
  question.Answer(IDNO);
  // Still open, on the same page.
  EXPECT_TRUE(setup.Program().Running());
  setup.WaitPage(kAddressHeading);
  EXPECT_TRUE(setup.Form().Visible());

  // The close box asks the same; Yes ends the program.
  automation::Close(setup.Form());
  setup.Box("Quit without installing Corvaline?").Answer(IDYES);
  EXPECT_EQ(setup.Program().WaitExit(), 11u);
  ExpectNothingInstalled();
}

TEST_F(SetupWalkTest, AboutBox) {
  setup.WaitPage(kStartHeading);
  // The Start page shows the rights notice on one row, its line break as ",  ".
  const std::string notice = setup.Label("Copyright").Text();
  ASSERT_NE(notice.find(",  "), std::string::npos) << notice;

  automation::SysCommand(setup.Form(), 4096);
  MsgBox about = setup.Program().WaitForMsgBox();
  EXPECT_EQ(about.Caption(), "About...");
  EXPECT_EQ(about.Text(), "Corvaline Setup  .9b0\n" + ReplaceAll(notice, ",  ", "\n"));
  EXPECT_EQ(about.Buttons(), (std::vector<std::string>{"OK"}));
  about.Answer(IDOK);
  // The wizard goes on where it was.
  EXPECT_TRUE(setup.Program().Running());
  setup.WaitPage(kStartHeading);
  setup.Press("Next");
  setup.WaitPage(kAddressHeading);
}

TEST_F(SetupWalkTest, WaitDialogCancelNoThenYes) {
  const std::string dest = scratch / "Corvaline";
  setup.FillStart(dest);
  setup.FillAddress("jane.doe@example.org", "smtp.example.org");

  // "Install now?" answered Cancel changes nothing.
  setup.Press("Install");
  setup.Box("Install now?").Answer(IDCANCEL);
  setup.WaitPage(kReviewHeading);
  EXPECT_EQ(setup.Button("Install").ShownText(), "Install");

  setup.Press("Install");
  setup.Box("Install now?").Answer(IDOK);
  const Window wait = setup.WaitDialog();
  const Window cancel = wait.Get(automation::ButtonControl("Cancel"));
  const Window panel = wait.Get(Control{"Static", ""});
  // The first second: "...wait..." and no Cancel yet. The first tick enables
  // Cancel before it changes the text, so the text read before a disabled
  // Cancel is the first second's.
  const std::string first = panel.Text();
  if (!cancel.Enabled()) {
    EXPECT_EQ(first, "...wait...");
  }
  // Cancel becomes available with the message, after the first second.
  automation::WaitEnabled(cancel, true, 5s);
  automation::WaitText(panel, "...installing corvaline...", 3s);

  Click(cancel);
  MsgBox question = setup.Box("Cancel process?");
  EXPECT_EQ(question.Buttons(), (std::vector<std::string>{"Yes", "No"}));
  question.Answer(IDNO);
  // The dialog goes on.
  EXPECT_TRUE(wait.Exists());
  EXPECT_TRUE(wait.Visible());

  Click(cancel);
  setup.Box("Cancel process?").Answer(IDYES);
  automation::WaitGone(wait);
  setup.WaitPage(kReviewHeading);
  EXPECT_EQ(setup.Button("Install").ShownText(), "Install");
  EXPECT_TRUE(setup.Button("Install").Enabled());
  ExpectNothingInstalled();
  EXPECT_FALSE(FolderExists(dest));
}

TEST_F(SetupWalkTest, BrowseDialog) {
  setup.WaitPage(kStartHeading);
  const Window folder = setup.Edit("Destination Folder");
  setup.Press("Browse");
  Window browse = setup.Program().WaitForWindow("Select Directory");

  // It opens on the program's own folder: the distribution, its files listed.
  const Window folders = browse.Get(Control{"ListBox", "", Control::Match::Exact, true, 0});
  const Window files = browse.Get(Control{"ListBox", "", Control::Match::Exact, true, 1});
  std::vector<std::string> items = automation::Items(folders);
  const int current = automation::SelectedIndex(folders);
  ASSERT_GE(current, 1) << "no folder selected";
  EXPECT_EQ(Trim(items[static_cast<size_t>(current)]), "dist");
  const std::string build = StripBackslash(ExtractFilePath(DistFolder()));
  EXPECT_EQ(Trim(items[static_cast<size_t>(current) - 1]), ExtractFileName(build));
  std::vector<std::string> shown = automation::Items(files);
  EXPECT_NE(std::find(shown.begin(), shown.end(), "setup.exe"), shown.end());

  // Cancel leaves the folder field alone.
  Click(browse.Get(automation::ButtonControl("Cancel")));
  automation::WaitGone(browse);
  EXPECT_EQ(folder.Text(), kDefaultFolder);

  // OK puts the chosen folder in, in lower case: up one level, then into the
  // build's "CMakeFiles".
  setup.Press("Browse");
  browse = setup.Program().WaitForWindow("Select Directory");
  const Window list = browse.Get(Control{"ListBox", "", Control::Match::Exact, true, 0});
  items = automation::Items(list);
  automation::DoubleClick(list, items[static_cast<size_t>(automation::SelectedIndex(list)) - 1]);
  automation::WaitUntil([&] { return Trim(automation::Items(list).back()) != "dist"; }, 5s,
                        "the parent folder opened");
  automation::DoubleClick(list, "CMakeFiles");
  automation::WaitUntil(
      [&] {
        int i = automation::SelectedIndex(list);
        return i >= 0 && Trim(automation::Items(list)[static_cast<size_t>(i)]) == "CMakeFiles";
      },
      5s, "CMakeFiles opened");
  Click(browse.Get(automation::ButtonControl("Ok")));
  automation::WaitGone(browse);
  EXPECT_EQ(folder.Text(), Lower(ExtractFilePath(DistFolder()) + "CMakeFiles"));
  ExpectNothingInstalled();
}

}  // namespace
}  // namespace e2e
