// The setup wizard: four pages (Start, Address, Review, Done), the install
// steps and the reading of an earlier installation.
#pragma once
#include <string>

#include "common/exit_codes.h"
#include "install/install.h"
#include "sys/lines.h"
#include "ui/ui.h"

class TSetupForm : public ui::Form {
 public:
  TSetupForm();
  ~TSetupForm() override;

  // Handlers.
  void FormShow();
  void FormCloseQuery(bool& canClose);
  void NextBtnClick();
  void BackBtnClick();
  void CancelBtnClick();
  void EAddrChange();
  void HostChange();
  void BrowseBtnClick();

  // The install as the user confirmed it: the engine's checks (and the
  // user's answers to its questions), the wait dialog, the install. True
  // when it is done; otherwise the user has been told why.
  bool RunInstall();

  // An earlier installation, read at construction.
  void LoadExistingSettings();
  void LoadExistingAddress();

  bool IsExistingInstall() const { return ExistingInstall; }
  // The Review page's lines: folder, address, mail host, program group.
  Lines Summary() const;
  // The choices as the pages hold them.
  InstallChoices Choices() const;
  // How the wizard ends, for its exit code: Done once it has installed;
  // otherwise the user ended it without installing, whatever failed or was
  // declined before.
  ExitCode Result() const { return Installed ? ExitCode::Done : ExitCode::Cancelled; }
  const std::string& Version() const { return VersionText; }

  // Controls.
  ui::Panel& Panel1;
  ui::Label& Appname;
  ui::Notebook& Notebook1;
  ui::Label& Copyright;
  ui::Label& Label4;
  ui::Edit& AppDIR;
  ui::Button& BrowseBtn;
  ui::CheckBox& GroupBox;
  ui::RichText& RichEdit1;
  ui::Label& Label6;
  ui::RichText& RichEdit2;
  ui::Label& Label3;
  ui::Edit& EAddr;
  ui::Label& Label2;
  ui::Edit& Host;
  ui::Label& Label7;
  ui::RichText& RichEdit4;
  ui::Label& Label8;
  ui::RichText& RichEdit3;
  ui::Label& Label5;
  ui::RichText& RichEdit5;
  ui::RichText& RichEdit6;
  ui::CheckBox& RunQuickBox;
  ui::Button& BackBtn;
  ui::Button& NextBtn;
  ui::Button& CancelBtn;

 protected:
  bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

 private:
  void ApplyNextRule();
  void FillSummary();
  void ReturnToStart();
  // Back to the page where the address and host are typed.
  void ReturnToAddress();
  // Plans with choices until nothing stands in the way, putting the engine's
  // questions to the user; false when the install does not go ahead.
  bool PlanAccepted(InstallChoices& choices, InstallPlan& plan);
  std::string ClientDatabasePath() const;

  bool ExistingInstall = false;
  bool Installed = false;
  std::string ClientExeName;
  std::string DatabaseName;
  std::string TemplateName;
  std::string SourceDir;
  std::string MixFolder;
  std::string VersionText;
};

// The one setup wizard of a run.
extern TSetupForm* SetupForm;
