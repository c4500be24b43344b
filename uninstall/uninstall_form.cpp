// The uninstall wizard's opening checks, navigation, check-box coupling,
// review and close handling.
#include "common/constants.h"
#include "sys/path.h"
#include "sys/sound.h"
#include "sys/utf8_case.h"
#include "uninstall/UninstDlg.h"
#include "uninstall/uninstall_form_layout.h"
#include "wizard/WaitDlg.h"
#include "wizard/client_question.h"

TUninstWiz* UninstWiz = nullptr;

namespace {

constexpr UINT kAboutCommand = 4096;

// A key without its folder value names no folder either.
std::string FolderCaption(bool installed, const std::string& folder) {
  const bool named = installed && !folder.empty();
  return Utf8LowerCase(named ? StripBackslash(folder) : std::string("not installed"));
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
  Products = ReadInstalledProducts();
  if (!Products.mix && !Products.app) {
    LastResult = ExitCode::NothingToUninstall;
    NextBtn.SetEnabled(false);
    RichEdit7.SetLines(TextToLines(
        "Neither Corvaline nor Mixmaster are installed on this machine!\nNothing to un-install!"));
    Label24.SetEnabled(false);
    return;
  }
  Relations = RelationsOf(Products);
  AppEntries.SetText(ProductName);
  MixEntries.SetText("Mixmaster");
  Appname.SetText(ProductName + " " + Products.appVersion);
  Label25.SetText("Un-Install " + ProductName);

  const RemovalChoices opening = OpeningChoices(Products);
  if (!Products.mix) DisableEntry(MixEntries);
  if (Products.keepClient || !Products.app) DisableEntry(AppEntries);
  AppEntries.SetChecked(opening.app);
  MixEntries.SetChecked(opening.mix);
  if (Relations.mixInsideApp || Relations.same) MixEntries.SetEnabled(false);
  EnableNextByChoice();

  MixEntries.SetText(MixEntries.Text() + "    { " + FolderCaption(Products.mix, Products.mixDir) + " }");
  AppEntries.SetText(AppEntries.Text() + "  { " + FolderCaption(Products.app, Products.appDir) + " }");
}

RemovalChoices TUninstWiz::Choices() const { return {AppEntries.Checked(), MixEntries.Checked()}; }

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
  if (AppEntries.Checked() && (Relations.mixInsideApp || Relations.same)) {
    MixEntries.SetChecked(true);
    MixEntries.SetEnabled(false);
  }
  if (!AppEntries.Checked() && (Relations.same || Relations.mixInsideApp)) MixEntries.SetEnabled(true);
  EnableNextByChoice();
}

void TUninstWiz::MixEntriesClick() {
  if (MixEntries.Checked() && (Relations.appInsideMix || Relations.same)) {
    AppEntries.SetChecked(true);
    AppEntries.SetEnabled(false);
  }
  if (!MixEntries.Checked() && (Relations.same || Relations.appInsideMix)) AppEntries.SetEnabled(true);
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
  if (ui::MsgBox(Handle(), "Uninstall now?", ProductName, ui::BoxKind::Question, MB_OKCANCEL) != IDOK ||
      !ReadyToRemove())
    return;
  Notebook.SetPageIndex(Notebook.PageIndex() + 1);
  ui::Application::ProcessMessages();
  RunRemoval();
  CancelBtn.SetText("Exit");
  CancelBtn.SetEnabled(true);
}

bool TUninstWiz::ReadyToRemove() {
  // Nothing is deleted while the client runs: it would lose what it holds.
  const RemovalChoices choices = Choices();
  auto clientClosed = [&] {
    const Lines held = HeldByRunningClient(Products, choices);
    return AskUntilClosed(Handle(), held, HeldFilesText(Products, held));
  };
  if (!clientClosed() || !RunWaitDialog(ProductName, "...uninstalling software...", *this)) return false;
  return clientClosed();
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
  if (Notebook.PageIndex() == 0 || (!Products.app && !Products.mix)) return;
  if (CancelBtn.Text() != "Exit" &&
      ui::MsgBox(Handle(), "Quit without un-installing?", "Un-Install", ui::BoxKind::Question, MB_YESNO) ==
          IDNO)
    canClose = false;
}

bool TUninstWiz::HandleMessage(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
  if (msg != WM_SYSCOMMAND || wp != kAboutCommand) return false;
  ui::MsgBox(Handle(), UninstallTitle + "  " + ProgramVersionTag + "\n" + CopyrightNotice,
             "About...", ui::BoxKind::Information);
  result = 0;
  return true;
}
