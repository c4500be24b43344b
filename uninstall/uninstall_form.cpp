// The uninstall wizard's opening checks, navigation, check-box coupling,
// review and close handling.
#include "common/constants.h"
#include "wizard/WaitDlg.h"
#include "sys/ansi.h"
#include "sys/files.h"
#include "sys/path.h"
#include "sys/registry.h"
#include "uninstall/UninstDlg.h"
#include "uninstall/kept_files.h"
#include "uninstall/uninstall_form_layout.h"

TUninstWiz* UninstWiz = nullptr;

namespace {

constexpr UINT kAboutCommand = 4096;

// A key without its folder value names no folder either.
std::string FolderCaption(bool installed, const std::string& folder) {
  const bool named = installed && !folder.empty();
  return AnsiLowerCase(named ? StripBackslash(folder) : std::string("not installed"));
}

}  // namespace

TUninstWiz::TUninstWiz()
    : ui::Form(kUninstallFormSpec, kUninstallControls, kUninstallControlCount),
      BackBtn(Get<ui::Button>("BackBtn")),
      NextBtn(Get<ui::Button>("NextBtn")),
      CancelBtn(Get<ui::Button>("CancelBtn")),
      Panel1(Get<ui::Panel>("Panel1")),
      Notebook(Get<ui::Notebook>("Notebook")),
      Appname(Get<ui::Label>("Appname")),
      Label23(Get<ui::Label>("Label23")),
      RichEdit7(Get<ui::RichText>("RichEdit7")),
      Label24(Get<ui::Label>("Label24")),
      Label25(Get<ui::Label>("Label25")),
      Label26(Get<ui::Label>("Label26")),
      AppEntries(Get<ui::CheckBox>("AppEntries")),
      MixEntries(Get<ui::CheckBox>("MixEntries")),
      RichEdit3(Get<ui::RichText>("RichEdit3")),
      Label1(Get<ui::Label>("Label1")),
      Label2(Get<ui::Label>("Label2")),
      RichEdit1(Get<ui::RichText>("RichEdit1")),
      Memo1(Get<ui::Memo>("Memo1")),
      Label4(Get<ui::Label>("Label4")),
      Label6(Get<ui::Label>("Label6")),
      RichEdit2(Get<ui::RichText>("RichEdit2")) {
  onCloseQuery = [this](bool& canClose) { FormCloseQuery(canClose); };
  NextBtn.onClick = [this] { NextBtnClick(); };
  BackBtn.onClick = [this] { BackBtnClick(); };
  CancelBtn.onClick = [this] { CancelBtnClick(); };
  AppEntries.onClick = [this] { AppEntriesClick(); };
  MixEntries.onClick = [this] { MixEntriesClick(); };
  SetActiveControl(NextBtn);
  SetIcon(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1)));
  OpeningChecks();
}

TUninstWiz::~TUninstWiz() = default;

void TUninstWiz::OpeningChecks() {
  AppendSystemMenuItem(kAboutCommand, "About Uninstall...");
  Notebook.SetPageIndex(0);
  MixInstalled = RegistryKeyExists(MixRegistryKey);
  AppInstalled = RegistryKeyExists(ProductRegistryKey);
  if (!MixInstalled && !AppInstalled) {
    NextBtn.SetEnabled(false);
    RichEdit7.SetLines(TextToLines(
        "Neither Corvaline nor Mixmaster are installed on this machine!\nNothing to un-install!"));
    Label24.SetEnabled(false);
    return;
  }
  Registry registry;
  if (registry.OpenKeyReadOnly(MixRegistryKey)) {
    MixDir = AddBackslash(registry.ReadStringOrEmpty("MixDir"));
    registry.CloseKey();
  }
  if (registry.OpenKeyReadOnly(ProductRegistryKey)) {
    AppDir = AddBackslash(registry.ReadStringOrEmpty("AppDir"));
    ProgramGroup = registry.ReadStringOrEmpty("Program Group");
    AppVersion = registry.ReadStringOrEmpty("Version");
    registry.CloseKey();
  }
  AppEntries.SetText(ProductName);
  MixEntries.SetText("Mixmaster");
  Appname.SetText(ProductName + " " + AppVersion);
  Label25.SetText("Un-Install " + ProductName);

  const bool keepClient = AppInstalled && FileExists(AppDir + kKeepMarker);
  if (!MixInstalled) DisableEntry(MixEntries);
  if (keepClient || !AppInstalled) DisableEntry(AppEntries);
  if (AppInstalled && !keepClient) AppEntries.SetChecked(true);
  if (MixInstalled) MixEntries.SetChecked(true);
  if (MixInsideApp() || SameFolders()) MixEntries.SetEnabled(false);
  if (AppInsideMix()) AppEntries.SetChecked(true);
  EnableNextByChoice();

  MixEntries.SetText(MixEntries.Text() + "    { " + FolderCaption(MixInstalled, MixDir) + " }");
  AppEntries.SetText(AppEntries.Text() + "  { " + FolderCaption(AppInstalled, AppDir) + " }");
}

void TUninstWiz::DisableEntry(ui::CheckBox& entry) {
  entry.SetChecked(false);
  entry.SetEnabled(false);
}

void TUninstWiz::EnableNextByChoice() {
  NextBtn.SetEnabled(AppEntries.Checked() || MixEntries.Checked());
}

// Removing a folder removes what lies inside it: a box whose folder lies in
// (or is) the other's folder is checked and locked while the other is checked.
void TUninstWiz::AppEntriesClick() {
  if (AppEntries.Checked() && (MixInsideApp() || SameFolders())) {
    MixEntries.SetChecked(true);
    MixEntries.SetEnabled(false);
  }
  if (!AppEntries.Checked() && (SameFolders() || MixInsideApp())) MixEntries.SetEnabled(true);
  EnableNextByChoice();
}

void TUninstWiz::MixEntriesClick() {
  if (MixEntries.Checked() && (AppInsideMix() || SameFolders())) {
    AppEntries.SetChecked(true);
    AppEntries.SetEnabled(false);
  }
  if (!MixEntries.Checked() && (SameFolders() || AppInsideMix())) AppEntries.SetEnabled(true);
  EnableNextByChoice();
}

void TUninstWiz::FillReview() {
  Memo1.SetLines({ProductName + (AppEntries.Checked() ? " = YES" : " = NO"),
                  std::string("Mixmaster") + (MixEntries.Checked() ? " = YES" : " = NO")});
  Memo1.ScrollPageUp();
}

void TUninstWiz::ShowPage(int index, bool fillReview) {
  ui::WindowUpdateLock freeze(Handle());
  Notebook.SetPageIndex(index);
  const std::string page = Notebook.ActivePage();
  if (fillReview && page == "Review") FillReview();
  NextBtn.SetText(page == "Review" || page == "Finish" ? "Finish" : "Next");
  BackBtn.SetEnabled(page != "Start");
}

void TUninstWiz::NextBtnClick() {
  if (NextBtn.Text() != "Finish") {
    ShowPage(Notebook.PageIndex() + 1, true);
    return;
  }
  if (ui::MsgBox(Handle(), "Uninstall now?", ProductName, MB_OKCANCEL) != IDOK) return;
  if (!RunWaitDialog(ProductName, "...uninstalling software...", *this)) return;
  Notebook.SetPageIndex(Notebook.PageIndex() + 1);
  ui::Application::ProcessMessages();
  RunRemoval();
  CancelBtn.SetText("Exit");
  CancelBtn.SetEnabled(true);
}

void TUninstWiz::BackBtnClick() {
  if (Notebook.PageIndex() > 0) ShowPage(Notebook.PageIndex() - 1, false);
}

void TUninstWiz::CancelBtnClick() { Close(); }

void TUninstWiz::FormCloseQuery(bool& canClose) {
  if (Removing) {
    canClose = false;
    return;
  }
  if (Notebook.PageIndex() == 0 || (!AppInstalled && !MixInstalled)) return;
  if (CancelBtn.Text() != "Exit" &&
      ui::MsgBox(Handle(), "Quit without un-installing?", "Un-Install", MB_YESNO) == IDNO)
    canClose = false;
}

bool TUninstWiz::HandleMessage(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
  if (msg != WM_SYSCOMMAND || wp != kAboutCommand) return false;
  ui::MsgBox(Handle(), UninstallTitle + "  " + ProgramVersionTag + "\n" + CopyrightNotice,
             "About...", MB_OK);
  result = 0;
  return true;
}
