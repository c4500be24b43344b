// The folder browse dialog, driven while its modal loop runs: where it opens,
// what OK, Cancel and the close box return, and the check for a required file.
#include <gtest/gtest.h>

#include <string>

#include "setup/DirBrow.h"
#include "setup/SetupDlg.h"
#include "tests/setup/setup_fixture.h"
#include "tests/ui/sample_form.h"

using formtest::RunLater;

namespace {

TBrowseDlg* OpenDialog() {
  HWND window = formtest::FindOwnWindow("Select Directory");
  return window ? dynamic_cast<TBrowseDlg*>(ui::Form::FromHandle(window)) : nullptr;
}

// This program's folder, without its trailing backslash.
std::string ProgramFolder() {
  char self[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, self, sizeof self);
  std::string path = self;
  return path.substr(0, path.rfind('\\'));
}

std::string CurrentDir() {
  char cwd[MAX_PATH] = "";
  GetCurrentDirectoryA(sizeof cwd, cwd);
  return cwd;
}

std::string WithoutBackslash(const std::string& folder) {
  return !folder.empty() && folder.back() == '\\' ? folder.substr(0, folder.size() - 1) : folder;
}

// Runs action on the open dialog after delayMs; a missing dialog fails the test.
void WithDialog(UINT delayMs, std::function<void(TBrowseDlg&)> action) {
  RunLater(delayMs, [action] {
    TBrowseDlg* dialog = OpenDialog();
    ASSERT_NE(dialog, nullptr) << "the browse dialog is not open";
    action(*dialog);
  });
}

void Click(ui::Button& button) { PostMessageA(button.Handle(), BM_CLICK, 0, 0); }

using BrowseTest = SetupTest;

}  // namespace

TEST_F(BrowseTest, OpensOnTheProgramsFolderCentredAndCancelLeavesTheFolderAlone) {
  TSetupForm form;
  form.AppDIR.SetText("C:\\Somewhere Else");
  form.Show();
  bool looked = false;
  WithDialog(150, [&](TBrowseDlg& dialog) {
    looked = true;
    EXPECT_EQ(Lower(dialog.DirectoryListBox1.Directory()), Lower(ProgramFolder()));
    EXPECT_FALSE(IsWindowEnabled(form.Handle()));
    RECT d = dialog.Bounds(), o = form.Bounds();
    EXPECT_EQ(d.top, o.top + ((o.bottom - o.top) - (d.bottom - d.top)) / 2);
    EXPECT_EQ(d.left, o.left + ((o.right - o.left) - (d.right - d.left)) / 2);
    dialog.DirectoryListBox1.SetDirectory(dest.Path());
    Click(dialog.CancelBtn);
  });
  form.BrowseBtnClick();
  EXPECT_TRUE(looked);
  EXPECT_EQ(form.AppDIR.Text(), "C:\\Somewhere Else");
  EXPECT_TRUE(IsWindowEnabled(form.Handle()));
  EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(BrowseTest, OkPutsTheChosenFolderInLowerCaseIntoTheWizard) {
  MakeDir(dest / "Mixed Case");
  MakeDir(dest / "Mixed Case\\Sub FOLDER");
  const std::string chosen = dest / "Mixed Case\\Sub FOLDER";
  TSetupForm form;
  form.Show();
  WithDialog(150, [&](TBrowseDlg& dialog) {
    dialog.DirectoryListBox1.SetDirectory(chosen);
    Click(dialog.OkBtn);
  });
  form.BrowseBtnClick();
  EXPECT_EQ(form.AppDIR.Text(), Lower(chosen));
  EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(BrowseTest, TheProgramsFolderBecomesTheCurrentDirectoryAndStaysSo) {
  SampleForm owner;
  owner.Show();
  ASSERT_TRUE(SetCurrentDirectoryA(dest.Path().c_str()));
  WithDialog(150, [&](TBrowseDlg& dialog) {
    EXPECT_EQ(Lower(CurrentDir()), Lower(ProgramFolder()));
    Click(dialog.CancelBtn);
  });
  EXPECT_EQ(BrowseForDirectory(owner, ""), "cancel");
  EXPECT_EQ(Lower(CurrentDir()), Lower(ProgramFolder()));
}

TEST_F(BrowseTest, AMissingRequiredFileKeepsTheDialogOpenUntilAFolderHasIt) {
  MakeDir(dest / "Without");
  MakeDir(dest / "With");
  WriteTextFile(dest / "With\\cv.EXE", "MZ");  // names match in any case
  SampleForm owner;
  owner.Show();
  WithDialog(150, [&](TBrowseDlg& dialog) {
    dialog.DirectoryListBox1.SetDirectory(dest / "Without");
    Click(dialog.OkBtn);
  });
  WithDialog(600, [&](TBrowseDlg& dialog) {
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes[0].text,
              "The file 'CV.exe' is not in the directory you have chosen.\nPlease select again.");
    EXPECT_EQ(boxes[0].caption, "Invalid path");
    EXPECT_EQ(boxes[0].type & MB_TYPEMASK, static_cast<UINT>(MB_OK));
    EXPECT_EQ(boxes[0].owner, dialog.Handle());
    EXPECT_TRUE(dialog.Visible());
    EXPECT_EQ(dialog.ChosenDir, "");
    dialog.DirectoryListBox1.SetDirectory(dest / "With");
    Click(dialog.OkBtn);
  });
  EXPECT_EQ(BrowseForDirectory(owner, "CV.exe"), Lower(dest / "With"));
  EXPECT_EQ(boxes.Count(), 1u);
}

TEST_F(BrowseTest, CancelAndTheCloseBoxReturnCancelWithoutLookingForTheFile) {
  SampleForm owner;
  owner.Show();
  WithDialog(150, [&](TBrowseDlg& dialog) {
    dialog.DirectoryListBox1.SetDirectory(dest.Path());
    Click(dialog.CancelBtn);
  });
  EXPECT_EQ(BrowseForDirectory(owner, "CV.exe"), "cancel");
  WithDialog(150, [&](TBrowseDlg& dialog) {
    PostMessageA(dialog.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
  });
  EXPECT_EQ(BrowseForDirectory(owner, "CV.exe"), "cancel");
  // Escape presses Cancel, Enter presses OK.
  WithDialog(150, [&](TBrowseDlg& dialog) {
    formtest::PressKey(dialog.DirectoryListBox1.Handle(), VK_ESCAPE);
  });
  EXPECT_EQ(BrowseForDirectory(owner, "CV.exe"), "cancel");
  EXPECT_EQ(boxes.Count(), 0u);
  WithDialog(150, [&](TBrowseDlg& dialog) {
    dialog.DirectoryListBox1.SetDirectory(dest.Path());
    formtest::PressKey(dialog.DirectoryListBox1.Handle(), VK_RETURN);
  });
  EXPECT_EQ(BrowseForDirectory(owner, ""), Lower(WithoutBackslash(dest.Path())));
}
