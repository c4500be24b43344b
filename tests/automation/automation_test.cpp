// The automation library against a fixture program started as its own
// process, as the end-to-end tests drive setup.exe.
#include <gtest/gtest.h>

#include "tests/automation/automation.h"

namespace automation {
namespace {

constexpr const char* kCaption = "Automation Fixture";
const Duration kShort{1500};

class FixtureTest : public ::testing::Test {
 protected:
  void Start(const std::string& args = "", const std::string& folder = "") {
    fixture_ = Process::Start(ProgramFolder() + "automation_fixture.exe", args, folder);
    window_ = fixture_.WaitForWindow(kCaption);
  }
  void SetUp() override { Start(); }

  Window Label(const std::string& prefix) {
    return window_.Get(StaticControl(prefix, Control::Match::Prefix));
  }

  Process fixture_;
  Window window_;
};

TEST(ShownTextTest, ResolvesMnemonics) {
  EXPECT_EQ(ShownText("&Destination Folder"), "Destination Folder");
  EXPECT_EQ(ShownText("E-Address && Mail Server"), "E-Address & Mail Server");
  EXPECT_EQ(ShownText("Create Program &Group"), "Create Program Group");
  EXPECT_EQ(ShownText("a&&&b&"), "a&b");
  EXPECT_EQ(ShownText("été &É"), "été É");
}

class StartTest : public FixtureTest {
  void SetUp() override {}
};

TEST_F(StartTest, PassesArgumentsAndFolder) {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  Start("alpha \"b c\" --exit-code=7", temp);
  EXPECT_EQ(Label("Args:").Text(), "Args: alpha \"b c\" --exit-code=7");
  EXPECT_EQ(Label("Dir:").Text(), "Dir: " + std::string(temp).substr(0, std::string(temp).size() - 1));
  Close(window_);
  EXPECT_EQ(fixture_.WaitExit(), 7u);
  EXPECT_FALSE(fixture_.Running());
}

TEST_F(StartTest, TellsWindowsOfOneCaptionApartByContent) {
  Start("first");
  Process second = Process::Start(ProgramFolder() + "automation_fixture.exe", "second");
  Window found = WaitForWindowShowing(0, kCaption, StaticControl("Args: second"));
  EXPECT_EQ(found.ProcessId(), second.Id());
  EXPECT_EQ(WaitForWindow(fixture_.Id(), kCaption), window_);
  EXPECT_THROW(WaitForWindowShowing(0, kCaption, StaticControl("Args: third"), Duration(300)), Failure);

  // Both sit in one place; the one raised comes first in the z order.
  auto inFront = [&](const Window& a, const Window& b) {
    for (const Window& w : TopWindows(0)) {
      if (w == a) return true;
      if (w == b) return false;
    }
    return false;
  };
  Raise(window_);
  WaitUntil([&] { return inFront(window_, found); }, kShort, "the first window in front");
  Raise(found);
  WaitUntil([&] { return inFront(found, window_); }, kShort, "the second window in front");
}

TEST_F(StartTest, MissingProgramFailsToStart) {
  EXPECT_THROW(Process::Start(ProgramFolder() + "no_such_program.exe"), Failure);
}

TEST_F(StartTest, OwnerEndsTheProcessAndWhatItStarted) {
  Start("--spawn");
  std::string child = Label("Child:").Text();
  DWORD childPid = std::stoul(child.substr(7));
  ASSERT_NE(childPid, 0u) << child;
  UniqueHandle parentHandle(OpenProcess(SYNCHRONIZE, FALSE, fixture_.Id()));
  UniqueHandle childHandle(OpenProcess(SYNCHRONIZE, FALSE, childPid));
  ASSERT_TRUE(parentHandle && childHandle);
  EXPECT_EQ(WaitForSingleObject(childHandle.Get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));

  // What the program started keeps its tree running after it ends.
  Close(window_);
  EXPECT_EQ(fixture_.WaitExit(), 0u);
  EXPECT_TRUE(fixture_.TreeRunning());

  fixture_ = Process();  // the owner goes
  EXPECT_EQ(WaitForSingleObject(parentHandle.Get(), 5000), static_cast<DWORD>(WAIT_OBJECT_0));
  EXPECT_EQ(WaitForSingleObject(childHandle.Get(), 5000), static_cast<DWORD>(WAIT_OBJECT_0));
}

TEST_F(StartTest, WaitsFailWithWhatTheyWaitedFor) {
  Process silent = Process::Start(ProgramFolder() + "automation_fixture.exe", "--no-window");
  try {
    silent.WaitForWindow("Never Shown", Duration(300));
    FAIL() << "no failure";
  } catch (const Failure& e) {
    EXPECT_NE(std::string(e.what()).find("\"Never Shown\""), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find("no visible window"), std::string::npos) << e.what();
  }
  EXPECT_THROW(silent.WaitExit(Duration(300)), Failure);
  EXPECT_THROW(silent.WaitForMsgBox(Duration(300)), Failure);
  EXPECT_TRUE(silent.Running());
}

TEST_F(FixtureTest, ClicksOnlyWhatAUserCouldClick) {
  Window apply = window_.Get(ButtonControl("Apply"));
  Click(apply);
  Click(apply);
  WaitText(Label("Clicks:"), "Clicks: 2");

  try {
    Click(window_.Get(ButtonControl("Disabled")));
    FAIL() << "clicked a disabled button";
  } catch (const Failure& e) {
    EXPECT_NE(std::string(e.what()).find("disabled"), std::string::npos) << e.what();
  }
  // The hidden page's edit exists but cannot be reached.
  Window hidden = window_.Find(Control{"Edit", "Second page", Control::Match::Exact, false});
  ASSERT_TRUE(hidden);
  EXPECT_THROW(Type(hidden, "x"), Failure);
  EXPECT_THROW(Type(window_.Get(Control{"Edit", "fixed"}), "x"), Failure);
  EXPECT_EQ(Label("Clicks:").Text(), "Clicks: 2");
}

TEST_F(FixtureTest, TypesAsAUserWould) {
  Window name = window_.FieldOf("Name:");
  Type(name, "Jane Doe <jane@example.org>");
  WaitText(Label("Echo:"), "Echo: Jane Doe <jane@example.org>");

  // Typing over a selection replaces it; letters of the code page reach even
  // an ANSI window unchanged.
  Type(name, "René & Françoise");
  WaitText(Label("Echo:"), "Echo: René & Françoise");
  Append(name, " é");
  Backspace(name, 2);
  EXPECT_EQ(name.Text(), "René & Françoise");
  Type(name, "");
  WaitText(Label("Echo:"), "Echo: ");
}

TEST_F(FixtureTest, ChecksAndFindsByVisiblePage) {
  Window box = window_.Get(ButtonControl("Remember me"));
  EXPECT_FALSE(box.Checked());
  Click(box);
  WaitUntil([&] { return box.Checked(); }, kShort, "the check box to be checked");
  Click(box);
  WaitUntil([&] { return !box.Checked(); }, kShort, "the check box to be unchecked");

  // Only the shown page's controls count, as only they can be seen.
  EXPECT_EQ(window_.FieldOf("First page").Text(), "First page");
  EXPECT_FALSE(window_.Find(StaticControl("Second page")));
  Click(window_.Get(ButtonControl("Page 2")));
  window_.Get(StaticControl("Second page"));
  EXPECT_EQ(window_.FieldOf("Second page").Text(), "Second page");
  EXPECT_FALSE(window_.Find(StaticControl("First page")));
  EXPECT_TRUE(window_.Find(Control{"Static", "First page", Control::Match::Exact, false}));
}

TEST_F(FixtureTest, ChoosesInListsAsAUserWould) {
  Window list = window_.Get(Control{"ListBox", ""});
  EXPECT_EQ(Items(list), (std::vector<std::string>{"alpha", "beta", "gamma", "delta", "epsilon", "zeta", "  eta",
                                                   "theta", "iota"}));
  EXPECT_EQ(SelectedIndex(list), -1);
  // Below what the list shows at first: it has to scroll there.
  Select(list, "theta");
  WaitText(Label("List:"), "List: chose theta");
  Select(list, "beta");
  WaitText(Label("List:"), "List: chose beta");
  DoubleClick(list, "eta");  // shown indented
  WaitText(Label("List:"), "List: opened   eta");
  EXPECT_THROW(Select(list, "omega"), Failure);

  Window drives = window_.Get(Control{"ComboBox", ""});
  EXPECT_EQ(Items(drives), (std::vector<std::string>{"[-a-]", "[-c-]", "[-d-]", "[-z-]"}));
  EXPECT_EQ(SelectedIndex(drives), 1);
  Select(drives, "[-z-]");
  WaitText(Label("Drive:"), "Drive: [-z-]");
  Select(drives, "[-a-]");
  WaitText(Label("Drive:"), "Drive: [-a-]");
}

TEST_F(FixtureTest, AnswersMessageBoxes) {
  Window ask = window_.Get(ButtonControl("Ask"));
  Click(ask);
  MsgBox box = fixture_.WaitForMsgBox("Proceed with the test?");
  EXPECT_EQ(box.Caption(), "Fixture Question");
  EXPECT_EQ(box.Buttons(), (std::vector<std::string>{"Yes", "No", "Cancel"}));
  // The box is modal: the window under it takes no clicks.
  EXPECT_THROW(Click(ask), Failure);
  EXPECT_THROW(box.Answer(IDOK), Failure);  // it has no OK button
  box.Answer(IDNO);
  WaitText(Label("Answer:"), "Answer: No");

  Click(ask);
  fixture_.WaitForMsgBox().Answer(IDYES);
  WaitText(Label("Answer:"), "Answer: Yes");
}

TEST_F(FixtureTest, DrivesASecondModalWindow) {
  Click(window_.Get(ButtonControl("Modal")));
  Window modal = fixture_.WaitForWindow("Fixture Modal");
  EXPECT_FALSE(window_.Enabled());
  EXPECT_THROW(Close(window_), Failure);
  Click(modal.Get(ButtonControl("Close")));
  WaitGone(modal);
  WaitText(Label("Answer:"), "Answer: Modal closed");
  EXPECT_TRUE(window_.Enabled());
}

TEST_F(FixtureTest, PressesKeysAndSystemMenuCommands) {
  PressEnter(window_);
  WaitText(Label("Key:"), "Key: Enter");
  PressEscape(window_);
  WaitText(Label("Key:"), "Key: Escape");

  SysCommand(window_, 4096);
  MsgBox about = fixture_.WaitForMsgBox();
  EXPECT_EQ(about.Caption(), "About...");
  EXPECT_EQ(about.Text(), "Automation Fixture 1.0");
  about.Answer(IDOK);
  EXPECT_TRUE(window_.Visible());

  Close(window_);
  EXPECT_EQ(fixture_.WaitExit(), 0u);
  EXPECT_FALSE(window_.Exists());
}

}  // namespace
}  // namespace automation
