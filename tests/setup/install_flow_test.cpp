// "Install" clicked on the Review page, with the real wait dialog (about 4 s
// a run): a cancelled wait does nothing; a failing step takes everything back
// and keeps the wizard on Review ready for another try; a successful one ends
// on Done, and leaving it starts the installed client.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "db/FileMan1.h"
#include "setup/SetupDlg.h"
#include "wizard/WaitDlg.h"
#include "tests/setup/setup_fixture.h"

using formtest::PumpUntil;
using formtest::RunLater;

namespace {

const std::string kMessageKey = "default\xFF" "message";

std::string Buttons(TSetupForm& form) {
  auto one = [](ui::Button& b) { return b.Text() + (b.Enabled() ? " on" : " off"); };
  return one(form.BackBtn) + " | " + one(form.NextBtn) + " | " + one(form.CancelBtn);
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool ShowsHourglass(ui::Form& form) {
  return SendMessageA(form.Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(form.Handle()),
                      MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)) == TRUE;
}

class InstallFlowTest : public SetupTest {
 protected:
  void SetUp() override { MakeDistribution(); }
  const std::string target = dest / "Apps\\Corvaline\\";

  // Fills the pages and stops on Review.
  void ToReview(TSetupForm& form, const std::string& folder = "") {
    form.Show();
    form.AppDIR.SetText(folder.empty() ? target.substr(0, target.size() - 1) : folder);
    form.NextBtnClick();
    form.EAddr.SetText("Jane Doe <jane@example.com>");
    form.Host.SetText("mail.example.com");
    form.NextBtnClick();
    ASSERT_EQ(Buttons(form), "Back on | Install on | Cancel on");
  }
  // Clicks "Install" and confirms; returns when the click has been handled.
  void Install(TSetupForm& form) {
    boxes.Then(IDOK);
    SendMessageA(form.NextBtn.Handle(), BM_CLICK, 0, 0);  // runs the wait dialog's loop
  }
};

}  // namespace

TEST_F(InstallFlowTest, ACancelledWaitDoesNothingAndStaysOnReview) {
  TSetupForm form;
  ToReview(form);
  boxes.Then(IDOK).Then(IDYES);
  bool looked = false;
  RunLater(1300, [&] {
    HWND window = formtest::FindOwnWindow("Corvaline");
    auto* wait = window ? dynamic_cast<TWaitForm*>(ui::Form::FromHandle(window)) : nullptr;
    ASSERT_NE(wait, nullptr) << "no wait dialog";
    looked = true;
    EXPECT_TRUE(ShowsHourglass(form));
    // Past the first tick: the caller's text, blinking.
    const std::string shown = wait->Panel1.Text();
    EXPECT_TRUE(shown == "...installing corvaline..." || shown.empty()) << shown;
    EXPECT_TRUE(wait->CancelBtn.Enabled());
    RECT d = wait->Bounds(), o = form.Bounds();
    EXPECT_EQ(d.top, o.top + ((o.bottom - o.top) - (d.bottom - d.top)) / 2);
    EXPECT_EQ(d.left, o.left + ((o.right - o.left) - (d.right - d.left)) / 2);
    PostMessageA(wait->CancelBtn.Handle(), BM_CLICK, 0, 0);
  });
  const DWORD start = GetTickCount();
  SendMessageA(form.NextBtn.Handle(), BM_CLICK, 0, 0);
  EXPECT_LT(GetTickCount() - start, 3000u);
  EXPECT_TRUE(looked);
  ASSERT_EQ(boxes.Count(), 2u);
  EXPECT_EQ(boxes[1].text, "Cancel process?");
  EXPECT_EQ(form.Notebook1.ActivePage(), "Review");
  EXPECT_EQ(Buttons(form), "Back on | Install on | Cancel on");
  EXPECT_FALSE(ShowsHourglass(form));
  EXPECT_FALSE(Exists(dest / "Apps"));
  EXPECT_FALSE(KeyExists(kClientKey));
  EXPECT_EQ(formtest::FindOwnWindow("Corvaline"), nullptr);
}

// However the user ends the wizard without installing, and whatever failed or
// was declined on the way, it ends as cancelled (exit code 11). Every box on
// the way carries the icon of its kind.
TEST_F(InstallFlowTest, EveryWayOutWithoutInstallingEndsAsACancel) {
  const UINT question = MB_ICONQUESTION, error = MB_ICONERROR, warning = MB_ICONWARNING;
  std::unique_ptr<HeldFile> held;
  const struct {
    const char* name;
    std::function<void(TSetupForm&)> arrange;  // on Review, before Install is clicked
    std::vector<int> answers;                  // "Install now?" first
    std::vector<UINT> icons;
  } paths[] = {
      {"Install now? cancelled", [](TSetupForm&) {}, {IDCANCEL}, {question}},
      {"a protected folder refused", [](TSetupForm& f) { f.AppDIR.SetText("C:\\windows"); }, {IDOK, IDOK},
       {question, error}},
      {"a folder of other files declined",
       [&](TSetupForm& f) {
         WriteTextFile(dest / "Budget.xls", "the user's");
         f.AppDIR.SetText(dest.Path());
       },
       {IDOK, IDNO}, {question, question}},
      {"a downgrade declined", [&](TSetupForm&) { WriteClientKey(target, "Corvaline", "9.9"); }, {IDOK, IDNO},
       {question, question}},
      {"an address the client cannot read", [](TSetupForm& f) { f.EAddr.SetText("Дмитрий <d@example.org>"); },
       {IDOK, IDOK}, {question, error}},
      {"the running client not closed",
       [&](TSetupForm&) {
         MakeDir(dest / "Apps");
         MakeDir(target);
         WriteTextFile(target + "CV.dbc", "held");
         held = std::make_unique<HeldFile>(target + "CV.dbc");
       },
       {IDOK, IDCANCEL}, {question, warning}},
      {"a step that failed",
       [&](TSetupForm&) {
         held.reset();
         WriteTextFile(target + "CV.dbc", "not a database");
       },
       {IDOK, IDOK}, {question, error}},
  };
  for (const auto& path : paths) {
    TSetupForm form;
    ToReview(form);
    path.arrange(form);
    const size_t before = boxes.Count();
    for (int answer : path.answers) boxes.Then(answer);
    SendMessageA(form.NextBtn.Handle(), BM_CLICK, 0, 0);
    ASSERT_EQ(boxes.Count() - before, path.icons.size()) << path.name;
    for (size_t i = 0; i < path.icons.size(); ++i)
      EXPECT_EQ(boxes[before + i].type & MB_ICONMASK, path.icons[i]) << path.name << ": " << boxes[before + i].text;
    EXPECT_NE(form.Notebook1.ActivePage(), "Done") << path.name;
    EXPECT_EQ(form.Result(), ExitCode::Cancelled) << path.name;
    DeleteKey(kClientKey);
    DeleteFileA((dest / "Budget.xls").c_str());
  }
  EXPECT_FALSE(KeyExists(kAppsEntryKey));
}

TEST_F(InstallFlowTest, AFailedStepKeepsReviewThenASecondInstallEndsOnDone) {
  // A running client holds its database: nothing is changed until it ends.
  MakeDir(dest / "Apps");
  MakeDir(target);
  const Lines old = {"From: old"};
  ASSERT_EQ(PutRecordStrings(kMessageKey, &old, target + "CV.dbc"), 0);
  HeldFile held(target + "CV.dbc");
  ASSERT_TRUE(held.Held());

  TSetupForm form;
  ToReview(form);
  boxes.Then(IDOK).Then(IDRETRY).Then(IDCANCEL);
  SendMessageA(form.NextBtn.Handle(), BM_CLICK, 0, 0);
  ASSERT_EQ(boxes.Count(), 3u);
  for (size_t i : {1u, 2u}) {
    EXPECT_EQ(boxes[i].text, "Corvaline is running. Close it, then click Retry.");
    EXPECT_EQ(boxes[i].type & MB_TYPEMASK, static_cast<UINT>(MB_RETRYCANCEL));
  }
  EXPECT_EQ(form.Notebook1.ActivePage(), "Review");
  EXPECT_EQ(FolderNames(target), Lines{"CV.dbc"});
  EXPECT_FALSE(KeyExists(kClientKey));

  // The client ends, but its database cannot be read: storing the templates
  // fails, and what the steps before it did is taken back.
  held.Release();
  WriteTextFile(target + "CV.dbc", "not a database, but no one else's to replace");
  Install(form);
  ASSERT_EQ(boxes.Count(), 5u);
  EXPECT_EQ(boxes[3].text, "Install now?");
  EXPECT_EQ(boxes[4].text, "Error storing default message!\n\nInstallation failed. Nothing was changed.");
  EXPECT_EQ(boxes[4].caption, "Setup Error");
  EXPECT_EQ(form.Notebook1.ActivePage(), "Review");
  EXPECT_EQ(Buttons(form), "Back on | Install on | Cancel on");
  EXPECT_FALSE(ShowsHourglass(form));
  EXPECT_EQ(FolderNames(target), Lines{"CV.dbc"});
  EXPECT_EQ(ReadTextFile(target + "CV.dbc"), "not a database, but no one else's to replace");
  EXPECT_FALSE(KeyExists(kClientKey));
  EXPECT_FALSE(KeyExists(kAppsEntryKey));
  EXPECT_FALSE(Exists(GroupFolder()));
  EXPECT_EQ(form.Result(), ExitCode::Cancelled);

  // "Install" runs every step again, from the wait on.
  ASSERT_TRUE(DeleteFileA((target + "CV.dbc").c_str()));
  Install(form);
  ASSERT_EQ(boxes.Count(), 6u);
  EXPECT_EQ(form.Notebook1.ActivePage(), "Done");
  EXPECT_EQ(form.Result(), ExitCode::Done);
  EXPECT_EQ(Buttons(form), "Back off | Next off | Exit on");
  EXPECT_FALSE(ShowsHourglass(form));
  Lines message;
  GetRecordStrings(message, kMessageKey, target + "CV.dbc");
  ASSERT_EQ(message.size(), 8u);
  EXPECT_EQ(message[2], "From: Jane Doe <jane@example.com>");
  EXPECT_EQ(ClientValueCount(), 6u);
  EXPECT_EQ(FolderNames(GroupFolder()).size(), 5u);
  EXPECT_NE(WaitForExplorerWindow(10000), "");
  EXPECT_EQ(CloseExplorerWindows(), 1);

  // Leaving the Done page asks nothing and starts the installed client there.
  ASSERT_TRUE(form.RunQuickBox.Checked());
  SendMessageA(form.CancelBtn.Handle(), BM_CLICK, 0, 0);
  EXPECT_FALSE(form.Visible());
  EXPECT_EQ(boxes.Count(), 6u);
  // The client holds its mark while it writes it.
  ASSERT_TRUE(PumpUntil([&] { return ReadTextFile(target + "started.txt") != "<missing>"; }, 10000));
  EXPECT_EQ(Lower(ReadTextFile(target + "started.txt")), Lower(target + "CV.exe"));
}

// The engine's questions come before the wait dialog and before any change:
// No (the default) to a folder of the user's own files goes back to the
// Start page; No to replacing a newer version stays on Review.
TEST_F(InstallFlowTest, QuestionsComeFirstAndNoChangesNothing) {
  WriteTextFile(dest / "Budget 2026.xls", "the user's");
  TSetupForm form;
  ToReview(form, dest.Path());
  boxes.Then(IDOK).Then(IDNO);
  SendMessageA(form.NextBtn.Handle(), BM_CLICK, 0, 0);
  ASSERT_EQ(boxes.Count(), 2u);
  EXPECT_EQ(boxes[1].text, "The folder " + dest.Path().substr(0, dest.Path().size() - 1) +
                               " already holds other files. Uninstalling Corvaline later deletes every file in "
                               "it except your database. Install there anyway?");
  EXPECT_EQ(boxes[1].type & (MB_TYPEMASK | MB_DEFMASK), static_cast<UINT>(MB_YESNO | MB_DEFBUTTON2));
  EXPECT_EQ(form.Notebook1.ActivePage(), "Start");
  EXPECT_EQ(FolderNames(dest.Path()), Lines{"Budget 2026.xls"});

  WriteClientKey(target, "Corvaline", "1.0");
  ToReview(form);
  boxes.Then(IDOK).Then(IDNO);
  SendMessageA(form.NextBtn.Handle(), BM_CLICK, 0, 0);
  ASSERT_EQ(boxes.Count(), 4u);
  EXPECT_EQ(boxes[3].text, "A newer version of Corvaline, 1.0, is installed. Install version 0.9b0 over it?");
  EXPECT_EQ(form.Notebook1.ActivePage(), "Review");
  EXPECT_FALSE(Exists(target));
  EXPECT_EQ(ReadClientValue("Version").text, "1.0");
  EXPECT_EQ(form.Result(), ExitCode::Cancelled);
}
