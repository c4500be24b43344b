// The wizard between opening and removal: the coupling of the two entries as
// the user clicks them, the pages, the review, closing and the About box.
#include <gtest/gtest.h>

#include "common/constants.h"
#include "tests/sys_win/scratch.h"
#include "tests/uninstall/uninstall_fixture.h"
#include "uninstall/UninstDlg.h"

namespace {

class UninstWizard : public UninstallTest {
 protected:
  // A click as the user's: the box toggles itself and notifies its page.
  static void Click(ui::CheckBox& box) {
    ASSERT_TRUE(box.Enabled());
    SendMessageA(box.Handle(), BM_CLICK, 0, 0);
  }
  static void ToOptions(TUninstWiz& wizard) {
    wizard.Show();
    wizard.NextBtn.Click();
    ASSERT_EQ(wizard.Notebook.ActivePage(), "Options");
  }
};

TEST_F(UninstWizard, SameFolderCascadeLocksBothEntries) {
  ScratchDir root("cascade");
  InstallClient(root.Path());
  InstallMixmaster(root.Path());
  TUninstWiz wizard;
  ToOptions(wizard);
  ASSERT_EQ(BoxState(wizard.MixEntries), "on, grey");

  Click(wizard.AppEntries);
  EXPECT_EQ(BoxState(wizard.AppEntries), "off, live");
  EXPECT_EQ(BoxState(wizard.MixEntries), "on, live");
  EXPECT_TRUE(wizard.NextBtn.Enabled());

  Click(wizard.MixEntries);
  EXPECT_EQ(BoxState(wizard.MixEntries), "off, live");
  EXPECT_FALSE(wizard.NextBtn.Enabled());

  Click(wizard.MixEntries);
  EXPECT_EQ(BoxState(wizard.AppEntries), "on, grey");
  EXPECT_EQ(BoxState(wizard.MixEntries), "on, grey");
  EXPECT_TRUE(wizard.NextBtn.Enabled());
}

TEST_F(UninstWizard, MixmasterInsideClientFollowsTheClient) {
  ScratchDir root("mixinapp");
  MakeDirs(root / "Mix");
  InstallClient(root.Path());
  InstallMixmaster(root / "Mix");
  TUninstWiz wizard;
  ToOptions(wizard);

  Click(wizard.AppEntries);
  EXPECT_EQ(BoxState(wizard.MixEntries), "on, live");
  Click(wizard.MixEntries);
  EXPECT_FALSE(wizard.NextBtn.Enabled());
  Click(wizard.AppEntries);
  EXPECT_EQ(BoxState(wizard.AppEntries), "on, live");
  EXPECT_EQ(BoxState(wizard.MixEntries), "on, grey");
  EXPECT_TRUE(wizard.NextBtn.Enabled());
}

// A kept client inside Mixmaster's folder goes with Mixmaster, and is free
// again once Mixmaster stays.
TEST_F(UninstWizard, KeptClientInsideMixmasterIsFreedByUncheckingMixmaster) {
  ScratchDir root("keptinmix");
  const std::string app = root / "Corvaline";
  MakeDirs(app);
  WriteTextFile(app + "\\uncv.dsk", "");
  InstallClient(app);
  InstallMixmaster(root.Path());
  TUninstWiz wizard;
  ToOptions(wizard);
  ASSERT_EQ(BoxState(wizard.AppEntries), "on, grey");

  Click(wizard.MixEntries);
  EXPECT_EQ(BoxState(wizard.AppEntries), "on, live");
  Click(wizard.AppEntries);
  EXPECT_FALSE(wizard.NextBtn.Enabled());
  Click(wizard.MixEntries);
  EXPECT_EQ(BoxState(wizard.AppEntries), "on, grey");
}

TEST_F(UninstWizard, PagesButtonsAndReview) {
  ScratchDir root("pages");
  MakeDirs(root / "App");
  MakeDirs(root / "Mix");
  InstallClient(root / "App");
  InstallMixmaster(root / "Mix");
  TUninstWiz wizard;
  wizard.Show();
  EXPECT_EQ(wizard.NextBtn.Text(), "Next");

  wizard.NextBtn.Click();
  EXPECT_EQ(wizard.Notebook.ActivePage(), "Options");
  EXPECT_EQ(wizard.NextBtn.Text(), "Next");
  EXPECT_TRUE(wizard.BackBtn.Enabled());
  Click(wizard.AppEntries);

  wizard.NextBtn.Click();
  EXPECT_EQ(wizard.Notebook.ActivePage(), "Review");
  EXPECT_EQ(wizard.NextBtn.Text(), "Finish");
  EXPECT_EQ(wizard.Memo1.GetLines(), Lines({"Corvaline = NO", "Mixmaster = YES"}));
  EXPECT_EQ(wizard.Memo1.Text(), "Corvaline = NO\r\nMixmaster = YES");

  // Rebuilt from the boxes each time the page comes up.
  wizard.BackBtn.Click();
  EXPECT_EQ(wizard.Notebook.ActivePage(), "Options");
  EXPECT_EQ(wizard.NextBtn.Text(), "Next");
  Click(wizard.AppEntries);
  Click(wizard.MixEntries);
  wizard.NextBtn.Click();
  EXPECT_EQ(wizard.Memo1.GetLines(), Lines({"Corvaline = YES", "Mixmaster = NO"}));

  wizard.BackBtn.Click();
  wizard.BackBtn.Click();
  EXPECT_EQ(wizard.Notebook.ActivePage(), "Start");
  EXPECT_FALSE(wizard.BackBtn.Enabled());
  EXPECT_TRUE(boxes.Count() == 0u);
}

TEST_F(UninstWizard, FinishAnsweredCancelStaysOnReview) {
  ScratchDir root("finishcancel");
  WriteTextFile(root / "cv.exe", "x");
  InstallClient(root.Path());
  TUninstWiz wizard;
  wizard.Show();
  wizard.NextBtn.Click();
  wizard.NextBtn.Click();
  const Lines review = wizard.Memo1.GetLines();
  boxes.Then(IDCANCEL);

  wizard.NextBtn.Click();
  ASSERT_EQ(boxes.Count(), 1u);
  EXPECT_EQ(boxes[0].text, "Uninstall now?");
  EXPECT_EQ(boxes[0].caption, "Corvaline");
  EXPECT_EQ(boxes[0].type & 0xF, static_cast<UINT>(MB_OKCANCEL));
  EXPECT_EQ(wizard.Notebook.ActivePage(), "Review");
  EXPECT_EQ(wizard.NextBtn.Text(), "Finish");
  EXPECT_TRUE(wizard.NextBtn.Enabled());
  EXPECT_TRUE(wizard.BackBtn.Enabled());
  EXPECT_EQ(wizard.CancelBtn.Text(), "Cancel");
  EXPECT_EQ(wizard.Memo1.GetLines(), review);
  EXPECT_TRUE(KeyExists(kClientKey));
  EXPECT_EQ(ReadTextFile(root / "cv.exe"), "x");
}

TEST_F(UninstWizard, ClosingOnStartNeverAsks) {
  ScratchDir root("closestart");
  InstallClient(root.Path());
  TUninstWiz wizard;
  wizard.Show();
  wizard.CancelBtn.Click();
  EXPECT_TRUE(boxes.Count() == 0u);
  EXPECT_FALSE(wizard.Visible());
}

TEST_F(UninstWizard, ClosingWithNothingInstalledNeverAsks) {
  TUninstWiz wizard;
  wizard.Show();
  wizard.NextBtnClick();  // the disabled Next, as a program would
  ASSERT_EQ(wizard.Notebook.ActivePage(), "Options");
  SendMessageA(wizard.Handle(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(boxes.Count() == 0u);
  EXPECT_FALSE(wizard.Visible());
}

TEST_F(UninstWizard, ClosingLaterAsksAndNoKeepsTheWizard) {
  ScratchDir root("closelater");
  InstallMixmaster(root.Path());
  TUninstWiz wizard;
  ToOptions(wizard);
  boxes.Then(IDNO).Then(IDYES);

  wizard.CancelBtn.Click();
  ASSERT_EQ(boxes.Count(), 1u);
  EXPECT_EQ(boxes[0].text, "Quit without un-installing?");
  EXPECT_EQ(boxes[0].caption, "Un-Install");
  EXPECT_EQ(boxes[0].type & 0xF, static_cast<UINT>(MB_YESNO));
  EXPECT_TRUE(wizard.Visible());
  EXPECT_EQ(wizard.Notebook.ActivePage(), "Options");

  // The close box asks the same question.
  SendMessageA(wizard.Handle(), WM_CLOSE, 0, 0);
  EXPECT_EQ(boxes.Count(), 2u);
  EXPECT_FALSE(wizard.Visible());
}

// Once the removal runs it finishes: the close box, Alt+F4 (the system
// menu's Close) and Escape do nothing, and nothing asks.
TEST_F(UninstWizard, ClosingDuringTheRemovalIsRefused) {
  ScratchDir root("closeremoving");
  const std::string mix = InstallMixmasterIn(root);
  TUninstWiz wizard;
  wizard.Show();
  wizard.Notebook.SetPageIndex(3);  // where Finish leads once confirmed
  // Handled at the removal's first look at its messages.
  PostMessageA(wizard.Handle(), WM_CLOSE, 0, 0);
  PostMessageA(wizard.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
  formtest::PressKey(wizard.Handle(), VK_ESCAPE);

  wizard.RunRemoval();
  EXPECT_TRUE(boxes.Count() == 0u);
  EXPECT_TRUE(wizard.Visible());
  EXPECT_EQ(wizard.RichEdit2.GetLines().back(), "Done!");
  EXPECT_EQ(GetFileAttributesA(mix.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(UninstWizard, AboutBoxFromTheSystemMenu) {
  TUninstWiz wizard;
  wizard.Show();
  HMENU menu = GetSystemMenu(wizard.Handle(), FALSE);
  ASSERT_TRUE(menu);
  const int count = GetMenuItemCount(menu);
  ASSERT_GE(count, 2);
  EXPECT_EQ(GetMenuItemID(menu, count - 1), 4096u);
  char text[64] = "";
  GetMenuStringA(menu, count - 1, text, sizeof text, MF_BYPOSITION);
  EXPECT_STREQ(text, "About Uninstall...");
  EXPECT_TRUE(GetMenuState(menu, count - 2, MF_BYPOSITION) & MF_SEPARATOR);

  const RECT before = wizard.Bounds();
  SendMessageA(wizard.Handle(), WM_SYSCOMMAND, 4096, 0);
  ASSERT_EQ(boxes.Count(), 1u);
  EXPECT_EQ(boxes[0].caption, "About...");
  EXPECT_EQ(boxes[0].owner, wizard.Handle());
  EXPECT_EQ(boxes[0].text, "Corvaline Uninstall  .9b0\n" + CopyrightNotice);
  EXPECT_EQ(boxes[0].type & 0xF, static_cast<UINT>(MB_OK));
  EXPECT_TRUE(wizard.Visible());
  const RECT after = wizard.Bounds();
  EXPECT_EQ(after.left, before.left);
  EXPECT_EQ(after.top, before.top);
}

}  // namespace
