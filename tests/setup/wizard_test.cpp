// The setup wizard's pages: the Next rule, the review summary, Back, the
// captions, the questions before installing and before quitting, the About
// box, and how it opens on an earlier installation.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/constants.h"
#include "db/FileMan1.h"
#include "setup/SetupDlg.h"
#include "sys/exception.h"
#include "sys/path.h"
#include "sys/wide.h"
#include "tests/setup/setup_fixture.h"

using formtest::PressKey;
using formtest::PumpUntil;

namespace {

const std::string kMessageKey = "default\xFF" "message";
const char kQuitText[] = "Quit without installing Corvaline?";

// Types text (UTF-8) into an edit as the keyboard would, one character at a time.
void Type(ui::Edit& edit, const std::string& text) {
  for (wchar_t c : Widen(text)) PostMessageW(edit.Handle(), WM_CHAR, c, 1);
  ui::Application::ProcessMessages();
}

void Backspace(ui::Edit& edit) {
  PostMessageA(edit.Handle(), WM_CHAR, VK_BACK, 1);
  ui::Application::ProcessMessages();
}

std::string LastSystemMenuItem(HWND form, UINT* id, bool* separatorBefore) {
  HMENU menu = GetSystemMenu(form, FALSE);
  int n = GetMenuItemCount(menu);
  char text[64] = "";
  MENUITEMINFOA item = {};
  item.cbSize = sizeof item;
  item.fMask = MIIM_ID | MIIM_STRING;
  item.dwTypeData = text;
  item.cch = sizeof text;
  GetMenuItemInfoA(menu, n - 1, TRUE, &item);
  *id = item.wID;
  MENUITEMINFOA before = {};
  before.cbSize = sizeof before;
  before.fMask = MIIM_FTYPE;
  GetMenuItemInfoA(menu, n - 2, TRUE, &before);
  *separatorBefore = (before.fType & MFT_SEPARATOR) != 0;
  return text;
}

// Buttons in one comparable text: "Back off | Install on | Cancel on".
std::string Buttons(TSetupForm& form) {
  auto one = [](ui::Button& b) { return b.Text() + (b.Enabled() ? " on" : " off"); };
  return one(form.BackBtn) + " | " + one(form.NextBtn) + " | " + one(form.CancelBtn);
}

class WizardTest : public SetupTest {
 protected:
  // Fills the Address page as the user would and goes on to Review.
  void ToReview(TSetupForm& form) {
    form.NextBtnClick();
    Type(form.EAddr, "Jane Doe <jane@example.com>");
    Type(form.Host, "mail.example.com");
    form.NextBtnClick();
    ASSERT_EQ(form.Notebook1.PageIndex(), 2);
  }
  // A client database in folder with a default message of those lines.
  void WriteDatabase(const std::string& folder, const Lines& message) {
    ASSERT_EQ(PutRecordStrings(kMessageKey, &message, AddBackslash(folder) + "CV.dbc"), 0);
  }
};

}  // namespace

TEST_F(WizardTest, OpensOnTheStartPageWithItsDefaultsAndWritesNothing) {
  MakeDistribution();
  TSetupForm form;
  EXPECT_EQ(form.Caption(), "Corvaline Setup");
  EXPECT_EQ(form.Appname.Text(), std::string("Corvaline ") + kVersion);
  EXPECT_EQ(form.Version(), kVersion);
  std::string notice = CopyrightNotice;
  notice.replace(notice.find('\n'), 1, ",  ");
  EXPECT_EQ(form.Copyright.Text(), notice);
  EXPECT_EQ(form.Notebook1.ActivePage(), "Start");
  EXPECT_EQ(form.AppDIR.Text(), "C:\\Program Files\\Corvaline");
  EXPECT_TRUE(form.GroupBox.Checked());
  EXPECT_TRUE(form.RunQuickBox.Checked());
  EXPECT_FALSE(form.IsExistingInstall());
  EXPECT_EQ(Buttons(form), "Back off | Next on | Cancel on");
  UINT id = 0;
  bool separator = false;
  EXPECT_EQ(LastSystemMenuItem(form.Handle(), &id, &separator), "About Setup...");
  EXPECT_EQ(id, 4096u);
  EXPECT_TRUE(separator);
  EXPECT_FALSE(KeyExists(kClientKey));
  EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(WizardTest, WithoutATemplateDatabaseTheTitleEndsInABlank) {
  TSetupForm form;
  EXPECT_EQ(form.Appname.Text(), "Corvaline ");
  EXPECT_EQ(form.Version(), "");
}

TEST_F(WizardTest, NextIsEnabledOnTheAddressPageExactlyWhenBothFieldsHoldText) {
  TSetupForm form;
  form.Show();
  form.NextBtnClick();
  EXPECT_EQ(form.Notebook1.ActivePage(), "Address");
  EXPECT_EQ(GetFocus(), form.EAddr.Handle());
  EXPECT_EQ(Buttons(form), "Back on | Next off | Cancel on");

  Type(form.EAddr, "j");
  EXPECT_FALSE(form.NextBtn.Enabled());
  Type(form.Host, "m");
  EXPECT_TRUE(form.NextBtn.Enabled());
  Backspace(form.Host);
  EXPECT_FALSE(form.NextBtn.Enabled());
  // A click on the disabled button goes nowhere.
  SendMessageA(form.NextBtn.Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(form.Notebook1.PageIndex(), 1);
  Backspace(form.EAddr);
  Type(form.Host, "m");
  EXPECT_FALSE(form.NextBtn.Enabled());
  // No trimming: one blank in each field is enough.
  Backspace(form.Host);
  Type(form.EAddr, " ");
  Type(form.Host, " ");
  EXPECT_TRUE(form.NextBtn.Enabled());
  SendMessageA(form.NextBtn.Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(form.Notebook1.ActivePage(), "Review");
}

TEST_F(WizardTest, ReviewShowsTheSummaryAndBackWalksThePagesBack) {
  TSetupForm form;
  form.Show();
  form.AppDIR.SetText("C:\\Apps\\Corvaline");
  ToReview(form);
  EXPECT_EQ(Buttons(form), "Back on | Install on | Cancel on");
  EXPECT_EQ(form.RichEdit3.GetLines(),
            Lines({"Folder = C:\\Apps\\Corvaline", "Address = Jane Doe <jane@example.com>",
                   "MailHost = mail.example.com", "ProgramGroup = yes"}));
  EXPECT_EQ(ShownLines(form.RichEdit3.Handle()), form.RichEdit3.GetLines());

  form.BackBtnClick();
  EXPECT_EQ(form.Notebook1.ActivePage(), "Address");
  EXPECT_EQ(Buttons(form), "Back on | Next on | Cancel on");
  EXPECT_EQ(GetFocus(), form.EAddr.Handle());
  form.BackBtnClick();
  EXPECT_EQ(form.Notebook1.ActivePage(), "Start");
  EXPECT_EQ(Buttons(form), "Back off | Next on | Cancel on");
  EXPECT_EQ(GetFocus(), form.AppDIR.Handle());

  // Changes made on the way back show in the new summary.
  form.GroupBox.SetChecked(false);
  form.AppDIR.SetText("D:\\Other");
  form.NextBtnClick();
  form.NextBtnClick();
  EXPECT_EQ(form.RichEdit3.GetLines(),
            Lines({"Folder = D:\\Other", "Address = Jane Doe <jane@example.com>",
                   "MailHost = mail.example.com", "ProgramGroup = no"}));
}

TEST_F(WizardTest, InstallNowAnsweredCancelChangesNothing) {
  MakeDistribution();
  TSetupForm form;
  form.AppDIR.SetText(dest / "Apps\\Corvaline");
  ToReview(form);
  boxes.Then(IDCANCEL);
  SendMessageA(form.NextBtn.Handle(), BM_CLICK, 0, 0);
  ASSERT_EQ(boxes.Count(), 1u);
  EXPECT_EQ(boxes[0].text, "Install now?");
  EXPECT_EQ(boxes[0].caption, "Corvaline");
  EXPECT_EQ(boxes[0].type & MB_TYPEMASK, static_cast<UINT>(MB_OKCANCEL));
  EXPECT_EQ(boxes[0].owner, form.Handle());
  EXPECT_EQ(form.Notebook1.ActivePage(), "Review");
  EXPECT_EQ(Buttons(form), "Back on | Install on | Cancel on");
  EXPECT_FALSE(KeyExists(kClientKey));
  EXPECT_EQ(GetFileAttributesA((dest / "Apps").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(WizardTest, ClosingOnTheStartPageAsksNothingAndMovesIntoTheDestination) {
  TSetupForm form;
  form.AppDIR.SetText(dest.Path());
  form.Show();
  form.CancelBtn.SetFocus();
  PressKey(form.CancelBtn.Handle(), VK_ESCAPE);
  ASSERT_TRUE(PumpUntil([&] { return !form.Visible(); }, 3000));
  EXPECT_EQ(boxes.Count(), 0u);
  char cwd[MAX_PATH] = "";
  GetCurrentDirectoryA(sizeof cwd, cwd);
  EXPECT_EQ(Lower(cwd) + "\\", Lower(dest.Path()));

  // The close box and the Cancel button close it alike.
  form.Show();
  PostMessageA(form.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
  ASSERT_TRUE(PumpUntil([&] { return !form.Visible(); }, 3000));
  form.Show();
  SendMessageA(form.CancelBtn.Handle(), BM_CLICK, 0, 0);
  EXPECT_FALSE(form.Visible());
  EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(WizardTest, ClosingOnAddressOrReviewAsksToQuitAndNoKeepsThePage) {
  TSetupForm form;
  form.Show();
  form.NextBtnClick();
  boxes.Then(IDNO).Then(IDYES);
  SendMessageA(form.CancelBtn.Handle(), BM_CLICK, 0, 0);
  ASSERT_EQ(boxes.Count(), 1u);
  EXPECT_EQ(boxes[0].text, kQuitText);
  EXPECT_EQ(boxes[0].caption, "Corvaline");
  EXPECT_EQ(boxes[0].type & MB_TYPEMASK, static_cast<UINT>(MB_YESNO));
  EXPECT_TRUE(form.Visible());
  EXPECT_EQ(form.Notebook1.ActivePage(), "Address");
  SendMessageA(form.CancelBtn.Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(boxes.Count(), 2u);
  EXPECT_FALSE(form.Visible());

  // Review: Escape and the close box ask the same question.
  form.Show();
  Type(form.EAddr, "a");
  Type(form.Host, "h");
  form.NextBtnClick();
  ASSERT_EQ(form.Notebook1.ActivePage(), "Review");
  boxes.Then(IDNO).Then(IDYES);
  form.NextBtn.SetFocus();
  PressKey(form.NextBtn.Handle(), VK_ESCAPE);
  ASSERT_TRUE(PumpUntil([&] { return boxes.Count() == 3; }, 3000));
  EXPECT_EQ(boxes[2].text, kQuitText);
  EXPECT_TRUE(form.Visible());
  EXPECT_EQ(form.Notebook1.ActivePage(), "Review");
  PostMessageA(form.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
  ASSERT_TRUE(PumpUntil([&] { return !form.Visible(); }, 3000));
  EXPECT_EQ(boxes.Count(), 4u);
}

TEST_F(WizardTest, TheAboutBoxAnswersCommand4096Only) {
  TSetupForm form;
  form.Show();
  SendMessageA(form.Handle(), WM_SYSCOMMAND, 4097, 0);
  SendMessageA(form.Handle(), WM_SYSCOMMAND, 4096 + 16, 0);
  EXPECT_EQ(boxes.Count(), 0u);
  SendMessageA(form.Handle(), WM_SYSCOMMAND, 4096, 0);
  ASSERT_EQ(boxes.Count(), 1u);
  EXPECT_EQ(boxes[0].text, "Corvaline Setup  .9b0\n" + CopyrightNotice);
  EXPECT_EQ(boxes[0].caption, "About...");
  EXPECT_EQ(boxes[0].type & MB_TYPEMASK, static_cast<UINT>(MB_OK));
  EXPECT_EQ(boxes[0].owner, form.Handle());
  EXPECT_TRUE(form.Visible());
}

TEST_F(WizardTest, AnEarlierInstallationOpensOnReviewWithItsValues) {
  // Field names in lower case are found all the same.
  WriteDatabase(dest.Path(), {"Fcc: outbox", "host: smtp.example.org",
                              "from: Jane Doe <jane@example.org>", "To: ", "", "~~"});
  WriteClientKey(StripBackslash(dest.Path()), "Corvaline");
  TSetupForm form;
  EXPECT_TRUE(form.IsExistingInstall());
  EXPECT_EQ(form.AppDIR.Text() + "\\", dest.Path());
  EXPECT_EQ(form.EAddr.Text(), "Jane Doe <jane@example.org>");
  EXPECT_EQ(form.Host.Text(), "smtp.example.org");
  EXPECT_TRUE(form.GroupBox.Checked());
  EXPECT_EQ(form.Notebook1.ActivePage(), "Start");  // until it shows

  form.Show();
  EXPECT_EQ(form.Notebook1.ActivePage(), "Review");
  EXPECT_EQ(Buttons(form), "Back on | Install on | Cancel on");
  EXPECT_EQ(form.RichEdit3.GetLines(),
            Lines({"Folder = " + form.AppDIR.Text(), "Address = Jane Doe <jane@example.org>",
                   "MailHost = smtp.example.org", "ProgramGroup = yes"}));
  EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(WizardTest, AnEarlierInstallationWithoutHostOrGroupStillOpensOnReview) {
  WriteDatabase(dest.Path(), {"Fcc: outbox", "From: jane@example.org", "", "~~"});
  WriteClientKey(StripBackslash(dest.Path()), "");
  TSetupForm form;
  EXPECT_FALSE(form.GroupBox.Checked());
  form.Show();
  EXPECT_EQ(form.Notebook1.ActivePage(), "Review");
  EXPECT_EQ(form.RichEdit3.GetLines().back(), "ProgramGroup = no");
  EXPECT_EQ(form.RichEdit3.GetLines()[2], "MailHost = ");
  // Back shows the Address page, Next waiting for the host.
  form.BackBtnClick();
  EXPECT_EQ(Buttons(form), "Back on | Next off | Cancel on");
  Type(form.Host, "smtp.example.org");
  EXPECT_TRUE(form.NextBtn.Enabled());
}

TEST_F(WizardTest, AKeyWithoutAFolderKeepsTheDefaultFolder) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kClientKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(key, "AppDir", 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1);
  RegCloseKey(key);
  TSetupForm form;
  EXPECT_TRUE(form.IsExistingInstall());
  EXPECT_EQ(form.AppDIR.Text(), "C:\\Program Files\\Corvaline");
  EXPECT_FALSE(form.GroupBox.Checked());  // no "Program Group" value
}

TEST_F(WizardTest, AnEncryptedDatabaseShowsTheNoticeAndLocksBack) {
  WriteTextFile(dest / "CV.pgp", "-----BEGIN PGP MESSAGE-----");
  WriteClientKey(StripBackslash(dest.Path()));
  TSetupForm form;
  EXPECT_EQ(form.EAddr.Text(), "");
  form.Show();
  EXPECT_EQ(form.Notebook1.ActivePage(), "Review");
  const std::string notice =
      "I have found that your CV database is encrypted. Because of this I am unable to retrieve "
      "current configuration values. This is not a problem though. Click 'Install' to complete "
      "program setup.";
  EXPECT_EQ(form.RichEdit3.GetLines(), Lines({notice}));
  // One long line: it wraps, so that all of it can be read in the box.
  EXPECT_TRUE(formtest::ShowsWhole(form.RichEdit3.Handle()));
  EXPECT_EQ(formtest::RichTextColor(form.RichEdit4.Handle()), RGB(128, 128, 128));
  EXPECT_EQ(Buttons(form), "Back off | Install on | Cancel on");
}

TEST_F(WizardTest, AnEmptyHostFromAnUnregisteredDatabaseDoesNotLockTheStartPage) {
  // No registry key, but a database in the default folder whose message has
  // no host: Next must stay usable on the Start page.
  const std::string folder = "C:\\Program Files\\Corvaline";
  const std::string database = folder + "\\CV.dbc";
  if (GetFileAttributesA(database.c_str()) != INVALID_FILE_ATTRIBUTES)
    GTEST_SKIP() << database << " belongs to another installation";
  const bool madeFolder = CreateDirectoryA(folder.c_str(), nullptr) != FALSE;
  WriteDatabase(folder, {"Fcc: outbox", "From: jane@example.org", "", "~~"});
  {
    TSetupForm form;
    EXPECT_EQ(form.EAddr.Text(), "jane@example.org");
    EXPECT_EQ(form.Host.Text(), "");
    form.Show();
    EXPECT_EQ(form.Notebook1.ActivePage(), "Start");
    EXPECT_EQ(Buttons(form), "Back off | Next on | Cancel on");
    SendMessageA(form.NextBtn.Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(form.Notebook1.ActivePage(), "Address");
    EXPECT_FALSE(form.NextBtn.Enabled());
    Type(form.Host, "smtp.example.org");
    EXPECT_TRUE(form.NextBtn.Enabled());
  }
  DeleteFileA(database.c_str());
  if (madeFolder) RemoveDirectoryA(folder.c_str());
}

TEST_F(WizardTest, AValueOfTheWrongTypeReadsAsMissing) {
  WriteClientKey(StripBackslash(dest.Path()), "Corvaline");
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kClientKey, 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
  DWORD one = 1;
  RegSetValueExA(key, "Program Group", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one);
  RegCloseKey(key);
  TSetupForm form;
  EXPECT_TRUE(form.IsExistingInstall());
  EXPECT_FALSE(form.GroupBox.Checked());
  EXPECT_EQ(form.AppDIR.Text() + "\\", dest.Path());
}

// A running client holds its database: the user is asked to close it, and
// Cancel ends setup quietly, before its window shows.
TEST_F(WizardTest, ARunningClientIsToBeClosedFirst) {
  WriteDatabase(dest.Path(), {"From: jane@example.org"});
  WriteClientKey(StripBackslash(dest.Path()));
  HeldFile held(dest / "CV.dbc");
  ASSERT_TRUE(held.Held());
  boxes.Then(IDRETRY).Then(IDCANCEL);
  EXPECT_THROW(TSetupForm form, EAbort);
  ASSERT_EQ(boxes.Count(), 2u);
  EXPECT_EQ(boxes[1].text, "Corvaline is running. Close it, then click Retry.");
  EXPECT_EQ(boxes[1].caption, "Corvaline");
  EXPECT_EQ(FindWindowA(nullptr, "Corvaline Setup"), nullptr);

  // Closed, then Retry: the wizard opens with the client's address.
  boxes.OnEach([&](const ui::MsgBoxRequest&) { held.Release(); });
  boxes.Then(IDRETRY);
  TSetupForm form;
  EXPECT_EQ(boxes.Count(), 3u);
  EXPECT_EQ(form.EAddr.Text(), "jane@example.org");
}

// An address the client could not read is refused before anything changes,
// and the wizard goes back to the page where it was typed.
TEST_F(WizardTest, AnAddressOutsideTheCodePageGoesBackToItsPage) {
  TSetupForm form;
  form.AppDIR.SetText(dest / "Corvaline");
  form.NextBtnClick();
  Type(form.EAddr, "Дмитрий <d@example.org>");
  Type(form.Host, "mail.example.com");
  form.NextBtnClick();
  boxes.Then(IDOK);
  form.NextBtnClick();
  ASSERT_EQ(boxes.Count(), 2u);
  EXPECT_EQ(boxes[1].text, "Corvaline cannot use the address Дмитрий <d@example.org>: it has characters the "
                           "client cannot read. Type it in other letters.");
  EXPECT_EQ(form.Notebook1.PageIndex(), 1);
  EXPECT_TRUE(FolderNames(dest.Path()).empty());
}

TEST_F(WizardTest, StrangeDestinationsPassThePagesIntact) {
  const std::string strange[] = {"C:\\bad<name>|here?", std::string(300, 'x'), "Q:\\Corvaline", "",
                                 "C:\\Jörg\\Æsir", "C:\\Apps\\Почта\\邮件"};
  for (const std::string& folder : strange) {
    TSetupForm form;
    form.AppDIR.SetText(folder);
    ToReview(form);
    EXPECT_EQ(form.RichEdit3.GetLines().front(), "Folder = " + folder);
  }
}

TEST_F(WizardTest, TheKeyboardReachesTheShowingPageOnly) {
  TSetupForm form;
  form.Show();
  auto alt = [&](char letter) {
    formtest::PressAlt(GetFocus(), letter);
    formtest::Pump(100);
  };
  ASSERT_EQ(GetFocus(), form.NextBtn.Handle());
  alt('d');  // "&Destination Folder"
  EXPECT_EQ(GetFocus(), form.AppDIR.Handle());
  alt('a');  // "Your &Address" is on a page not showing
  EXPECT_EQ(GetFocus(), form.AppDIR.Handle());
  alt('g');  // "Create Program &Group"
  EXPECT_FALSE(form.GroupBox.Checked());

  // Tab goes round the Start page and the buttons, Back being disabled.
  form.AppDIR.SetFocus();
  std::vector<HWND> visited;
  for (int i = 0; i < 5; ++i) {
    PressKey(GetFocus(), VK_TAB);
    formtest::Pump(100);
    visited.push_back(GetFocus());
  }
  EXPECT_EQ(visited, std::vector<HWND>({form.BrowseBtn.Handle(), form.GroupBox.Handle(),
                                        form.NextBtn.Handle(), form.CancelBtn.Handle(),
                                        form.AppDIR.Handle()}));

  form.NextBtnClick();
  alt('h');  // "SMTP &Host"
  EXPECT_EQ(GetFocus(), form.Host.Handle());
  alt('a');
  EXPECT_EQ(GetFocus(), form.EAddr.Handle());
}

TEST_F(WizardTest, EnterOnTheFocusedNextButtonGoesOn) {
  TSetupForm form;
  form.Show();
  ASSERT_EQ(GetFocus(), form.NextBtn.Handle());
  PressKey(form.NextBtn.Handle(), VK_RETURN);
  ASSERT_TRUE(PumpUntil([&] { return form.Notebook1.PageIndex() == 1; }, 2000));
  // In an edit Enter presses Next, the default button, once it is enabled.
  EXPECT_EQ(GetFocus(), form.EAddr.Handle());
  PressKey(form.EAddr.Handle(), VK_RETURN);
  formtest::Pump(200);
  EXPECT_EQ(form.Notebook1.ActivePage(), "Address");
  Type(form.EAddr, "a");
  Type(form.Host, "h");
  PressKey(form.Host.Handle(), VK_RETURN);
  ASSERT_TRUE(PumpUntil([&] { return form.Notebook1.PageIndex() == 2; }, 2000));
  EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(WizardTest, LeavingDoneStartsTheClientFromItsFolderEvenWithBlanksInThePath) {
  // An unquoted command line would start C:\...\Program.exe instead.
  const std::string folder = dest / "Program Files\\Corvaline\\";
  MakeDir(dest / "Program Files");
  MakeDir(folder);
  const std::string marker = TestProgramDir() + "setup_marker_child.exe";
  ASSERT_TRUE(CopyFileA(marker.c_str(), (folder + "CV.exe").c_str(), FALSE));
  ASSERT_TRUE(CopyFileA(marker.c_str(), (dest / "Program.exe").c_str(), FALSE));
  TSetupForm form;
  form.AppDIR.SetText(StripBackslash(folder));
  form.Show();
  // The Done page as a successful install leaves it.
  form.Notebook1.SetPageIndex(3);
  form.CancelBtn.SetText("Exit");
  SendMessageA(form.CancelBtn.Handle(), BM_CLICK, 0, 0);
  EXPECT_FALSE(form.Visible());
  EXPECT_EQ(boxes.Count(), 0u);
  ASSERT_TRUE(PumpUntil([&] { return GetFileAttributesA((folder + "started.txt").c_str()) !=
                                     INVALID_FILE_ATTRIBUTES; }, 10000));
  formtest::Pump(300);  // the mark is written and closed
  EXPECT_EQ(Lower(ReadTextFile(folder + "started.txt")), Lower(folder + "CV.exe"));
}

TEST_F(WizardTest, LeavingDoneWithRunCorvalineUncheckedStartsNothing) {
  const std::string marker = TestProgramDir() + "setup_marker_child.exe";
  ASSERT_TRUE(CopyFileA(marker.c_str(), (dest / "CV.exe").c_str(), FALSE));
  TSetupForm form;
  form.AppDIR.SetText(dest.Path());
  form.Show();
  form.Notebook1.SetPageIndex(3);
  form.CancelBtn.SetText("Exit");
  form.RunQuickBox.SetChecked(false);
  SendMessageA(form.CancelBtn.Handle(), BM_CLICK, 0, 0);
  EXPECT_FALSE(form.Visible());
  formtest::Pump(1500);
  EXPECT_EQ(GetFileAttributesA((dest / "started.txt").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(WizardTest, ADamagedDatabaseOfAnEarlierInstallationLeavesTheFieldsEmpty) {
  WriteDatabase(dest.Path(), {"From: jane@example.org", "Host: smtp.example.org"});
  std::string bytes = ReadTextFile(dest / "CV.dbc");
  ASSERT_GT(bytes.size(), 46u);
  bytes[45] = '\x7f';  // the end of the data far beyond the file
  const std::string damaged[] = {bytes, "not a database at all", ""};
  WriteClientKey(StripBackslash(dest.Path()));
  for (const std::string& content : damaged) {
    WriteTextFile(dest / "CV.dbc", content);
    TSetupForm form;
    EXPECT_EQ(form.EAddr.Text(), "");
    EXPECT_EQ(form.Host.Text(), "");
    form.Show();
    EXPECT_EQ(form.Notebook1.ActivePage(), "Review");
    // Reading changed nothing, not even an empty file.
    EXPECT_EQ(ReadTextFile(dest / "CV.dbc"), content);
  }
}
