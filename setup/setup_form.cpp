// The setup wizard's construction, navigation and close handling.
#include "common/constants.h"
#include "install/client_folder.h"
#include "install/distribution.h"
#include "install/earlier_installation.h"
#include "setup/DirBrow.h"
#include "setup/SetupDlg.h"
#include "setup/setup_form_layout.h"
#include "sys/exception.h"
#include "sys/files.h"
#include "sys/module_path.h"
#include "sys/path.h"
#include "sys/process.h"
#include "sys/sound.h"
#include "wizard/client_question.h"

TSetupForm* SetupForm = nullptr;

namespace {

constexpr UINT kAboutCommand = 4096;
enum Page { kStart = 0, kAddress = 1, kReview = 2, kDone = 3 };

const char kEncryptedNotice[] =
    "I have found that your CV database is encrypted. Because of "
    "this I am unable to retrieve current configuration values. "
    "This is not a problem though. Click 'Install' to complete "
    "program setup.";

}  // namespace

TSetupForm::TSetupForm()
    : ui::Form(kSetupFormSpec, kSetupControls, kSetupControlCount),
      Panel1(Get<ui::Panel>("Panel1")),
      Appname(Get<ui::Label>("Appname")),
      Notebook1(Get<ui::Notebook>("Notebook1")),
      Copyright(Get<ui::Label>("Copyright")),
      Label4(Get<ui::Label>("Label4")),
      AppDIR(Get<ui::Edit>("AppDIR")),
      BrowseBtn(Get<ui::Button>("BrowseBtn")),
      GroupBox(Get<ui::CheckBox>("GroupBox")),
      RichEdit1(Get<ui::RichText>("RichEdit1")),
      Label6(Get<ui::Label>("Label6")),
      RichEdit2(Get<ui::RichText>("RichEdit2")),
      Label3(Get<ui::Label>("Label3")),
      EAddr(Get<ui::Edit>("EAddr")),
      Label2(Get<ui::Label>("Label2")),
      Host(Get<ui::Edit>("Host")),
      Label7(Get<ui::Label>("Label7")),
      RichEdit4(Get<ui::RichText>("RichEdit4")),
      Label8(Get<ui::Label>("Label8")),
      RichEdit3(Get<ui::RichText>("RichEdit3")),
      Label5(Get<ui::Label>("Label5")),
      RichEdit5(Get<ui::RichText>("RichEdit5")),
      RichEdit6(Get<ui::RichText>("RichEdit6")),
      RunQuickBox(Get<ui::CheckBox>("RunQuickBox")),
      BackBtn(Get<ui::Button>("BackBtn")),
      NextBtn(Get<ui::Button>("NextBtn")),
      CancelBtn(Get<ui::Button>("CancelBtn")) {
  onShow = [this] { FormShow(); };
  onCloseQuery = [this](bool& canClose) { FormCloseQuery(canClose); };
  NextBtn.onClick = [this] { NextBtnClick(); };
  BackBtn.onClick = [this] { BackBtnClick(); };
  CancelBtn.onClick = [this] { CancelBtnClick(); };
  EAddr.onChange = [this] { EAddrChange(); };
  Host.onChange = [this] { HostChange(); };
  BrowseBtn.onClick = [this] { BrowseBtnClick(); };

  AppendSystemMenuItem(kAboutCommand, "About Setup...");
  ExistingInstall = false;
  SourceDir = GetCurrentDir();
  std::string notice = CopyrightNotice;
  size_t lf = notice.find('\n');
  if (lf != std::string::npos) notice.replace(lf, 1, ",  ");
  Copyright.SetText(notice);
  ClientExeName = ClientExeFile;
  TemplateName = ChangeFileExt(ClientExeName, IniExt);
  DatabaseName = ChangeFileExt(ClientExeName, DatabaseExt);
  // The template database of the distribution. One that cannot be read names
  // no version; installing tells what is missing.
  VersionText = DistributionVersion(ModuleFileName(), SourceDir);
  Appname.SetText(ProductName + " " + VersionText);
  Notebook1.SetPageIndex(kStart);
  LoadExistingSettings();
  LoadExistingAddress();
  SetActiveControl(NextBtn);
  SetIcon(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1)));
}

TSetupForm::~TSetupForm() = default;

void TSetupForm::LoadExistingSettings() {
  const EarlierInstallation earlier = ReadEarlierInstallation();
  if (earlier.found) {
    GroupBox.SetChecked(earlier.group);
    if (!earlier.folder.empty()) AppDIR.SetText(earlier.folder);
    ExistingInstall = true;
  }
  MixFolder = earlier.mixFolder;
  // A user who cannot write the default folder is offered one that works.
  if (!earlier.found || earlier.folder.empty()) AppDIR.SetText(ProposedDestination());
}

void TSetupForm::LoadExistingAddress() {
  if (!FileExists(ClientDatabasePath())) return;
  // While the wizard is being built its window is not shown yet: the
  // question stands on its own then.
  HWND owner = Visible() ? Handle() : nullptr;
  if (!AskUntilClientCloses(owner, {ClientDatabasePath(), ClientProgramIn(AppDIR.Text())})) throw EAbort();
  const StoredAddress stored = ReadStoredAddress(AppDIR.Text());
  EAddr.SetText(stored.address);
  Host.SetText(stored.host);
}

// Next is enabled on the Address page exactly when both fields hold at least
// one character. The rule is applied only while that page shows, so that a
// field read empty from an earlier installation cannot lock the Start page.
void TSetupForm::ApplyNextRule() {
  if (Notebook1.PageIndex() == kAddress)
    NextBtn.SetEnabled(!EAddr.Text().empty() && !Host.Text().empty());
}

void TSetupForm::EAddrChange() { ApplyNextRule(); }

void TSetupForm::HostChange() { ApplyNextRule(); }

void TSetupForm::NextBtnClick() {
  if (NextBtn.Text() == "Install") {
    if (ui::MsgBox(Handle(), "Install now?", ProductName, ui::BoxKind::Question, MB_OKCANCEL) != IDOK)
      return;
    if (!RunInstall()) return;
  }
  int page = Notebook1.PageIndex() + 1;
  if (page > kDone) page = kDone;
  BackBtn.SetEnabled(page > kStart);
  NextBtn.SetEnabled(page == kAddress ? !EAddr.Text().empty() && !Host.Text().empty() : true);
  NextBtn.SetText(page == kReview ? "Install" : "Next");
  CancelBtn.SetText(page == kDone ? "Exit" : "Cancel");
  if (page == kReview) {
    FillSummary();
  } else if (page == kDone) {
    BackBtn.SetEnabled(false);
    NextBtn.SetEnabled(false);
  }
  Notebook1.SetPageIndex(page);
  if (page == kStart) AppDIR.SetFocus();
  if (page == kAddress) EAddr.SetFocus();
  if (page == kDone) SoundBeep(0);
}

void TSetupForm::BackBtnClick() {
  int page = Notebook1.PageIndex() - 1;
  if (page < kStart) page = kStart;
  Notebook1.SetPageIndex(page);
  BackBtn.SetEnabled(page > kStart);
  NextBtn.SetEnabled(page == kAddress ? !EAddr.Text().empty() && !Host.Text().empty() : true);
  NextBtn.SetText(page == kReview ? "Install" : "Next");
  if (page == kStart) AppDIR.SetFocus();
  if (page == kAddress) EAddr.SetFocus();
}

Lines TSetupForm::Summary() const {
  return {"Folder = " + AppDIR.Text(), "Address = " + EAddr.Text(), "MailHost = " + Host.Text(),
          std::string("ProgramGroup = ") + (GroupBox.Checked() ? "yes" : "no")};
}

void TSetupForm::FillSummary() { RichEdit3.SetLines(Summary()); }

void TSetupForm::ReturnToStart() {
  while (Notebook1.PageIndex() > kStart) BackBtnClick();
}

void TSetupForm::ReturnToAddress() {
  while (Notebook1.PageIndex() > kAddress) BackBtnClick();
}

void TSetupForm::BrowseBtnClick() {
  std::string folder = BrowseForDirectory(*this, "");
  if (folder != "cancel") AppDIR.SetText(folder);
}

void TSetupForm::CancelBtnClick() { Close(); }

void TSetupForm::FormShow() {
  if (!ExistingInstall) return;
  NextBtnClick();
  NextBtnClick();
  std::string database = ClientDatabasePath();
  if (!FileExists(database) && FileExists(ChangeFileExt(database, ".pgp"))) {
    RichEdit3.SetLines({kEncryptedNotice});
    RichEdit4.SetTextColor(RGB(128, 128, 128));
    BackBtn.SetEnabled(false);
  }
}

void TSetupForm::FormCloseQuery(bool& canClose) {
  if (Notebook1.PageIndex() != kStart && CancelBtn.Text() != "Exit" &&
      ui::MsgBox(Handle(), "Quit without installing Corvaline?", ProductName, ui::BoxKind::Question,
                 MB_YESNO) == IDNO) {
    canClose = false;
    return;
  }
  // The client starts in its folder as it reads it: its own path and its
  // current folder come to it whole.
  std::string folder;
  if (!ClientFolderOf(AppDIR.Text(), &folder)) folder = AppDIR.Text();
  SetCurrentDir(folder);
  // Quoted: unquoted, a folder with a blank ("C:\Program Files\...") lets the
  // system start C:\Program.exe instead, if there is one.
  if (Notebook1.ActivePage() == "Done" && CancelBtn.Text() == "Exit" && RunQuickBox.Checked())
    RunProgram("\"" + AddBackslash(folder) + ClientExeName + "\"", 1);
  canClose = true;
}

bool TSetupForm::HandleMessage(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
  if (msg != WM_SYSCOMMAND || wp != kAboutCommand) return false;
  ui::MsgBox(Handle(), SetupTitle + "  " + ProgramVersionTag + "\n" + CopyrightNotice, "About...",
             ui::BoxKind::Information);
  result = 0;
  return true;
}

std::string TSetupForm::ClientDatabasePath() const {
  return AddBackslash(AppDIR.Text()) + DatabaseName;
}
