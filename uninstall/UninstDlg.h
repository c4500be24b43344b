// The uninstall wizard: shows what is installed, lets the user choose what to
// remove, reviews, confirms and has the removal engine remove it, with a
// progress log.
#pragma once
#include <string>

#include "common/exit_codes.h"
#include "removal/removal.h"
#include "sys/lines.h"
#include "ui/ui.h"

class TUninstWiz : public ui::Form {
 public:
  TUninstWiz();
  ~TUninstWiz() override;

  // Handlers.
  void NextBtnClick();
  void BackBtnClick();
  void CancelBtnClick();
  void FormCloseQuery(bool& canClose);
  void AppEntriesClick();
  void MixEntriesClick();

  void FillReview();
  void DisableEntry(ui::CheckBox& entry);

  // The removal of what the boxes hold, shown line by line on the last page.
  void RunRemoval();
  // The choices as the boxes hold them.
  RemovalChoices Choices() const;

  const std::string& GetAppDir() const { return Products.appDir; }
  const std::string& GetMixDir() const { return Products.mixDir; }
  bool IsAppInstalled() const { return Products.app; }
  bool IsMixInstalled() const { return Products.mix; }
  // Whether the last removal left something behind it meant to remove.
  bool LeftSomething() const { return LastResult == ExitCode::FailedSomethingLeft; }
  // How the wizard ends, for its exit code.
  ExitCode Result() const { return LastResult; }

  // Controls.
  ui::Button& BackBtn;
  ui::Button& NextBtn;
  ui::Button& CancelBtn;
  ui::Panel& Panel1;
  ui::Notebook& Notebook;
  ui::Label& Appname;
  ui::Label& Label23;
  ui::RichText& RichEdit7;
  ui::Label& Label24;
  ui::Label& Label25;
  ui::Label& Label26;
  ui::CheckBox& AppEntries;
  ui::CheckBox& MixEntries;
  ui::RichText& RichEdit3;
  ui::Label& Label1;
  ui::Label& Label2;
  ui::RichText& RichEdit1;
  ui::Memo& Memo1;
  ui::Label& Label4;
  ui::Label& Label6;
  ui::RichText& RichEdit2;

 protected:
  bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

 private:
  void OpeningChecks();
  void ShowPage(int index, bool fillReview);
  void EnableNextByChoice();
  // The user confirmed: no running client holds what goes, the wait dialog.
  bool ReadyToRemove();

  InstalledProducts Products;
  FolderRelations Relations;
  bool Removing = false;  // the removal runs: the window cannot be closed
  ExitCode LastResult = ExitCode::Cancelled;
};

// The one uninstall wizard of a run.
extern TUninstWiz* UninstWiz;
