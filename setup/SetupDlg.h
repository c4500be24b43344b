// The setup wizard: four pages (Start, Address, Review, Done), the install
// steps and the reading of an earlier installation.
#pragma once
#include <functional>
#include <string>

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

  // Install steps, in the order RunInstall takes them.
  bool RunInstall();
  bool CheckDistribution();
  void MakeDestinationAbsolute();
  bool CheckDestinationRights();
  bool WaitForClientToClose();
  bool CopyProgramFiles();
  bool SaveRegistrySettings();
  bool StoreDefaultTemplates();
  bool CreateProgramGroup();

  // An earlier installation, read at construction, and the destination
  // proposed when there is none.
  void LoadExistingSettings();
  void LoadExistingAddress();
  void ProposeDestination();

  bool IsExistingInstall() const { return ExistingInstall; }
  // The Review page's lines: folder, address, mail host, program group.
  Lines Summary() const;
  // Whether the last RunInstall got as far as changing anything.
  bool InstallChangedSomething() const { return ChangesStarted; }

  // An unattended install: no wait dialog and no Explorer window; each step
  // reports its line ("   program files...done") to OnLog.
  bool Unattended = false;
  std::function<void(const std::string&)> OnLog;
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
  void Log(const std::string& line);
  void FillSummary();
  void ReturnToStart();
  // Whether the stored template at key already carries the address and host.
  bool TemplateIsCurrent(const std::string& key, const std::string& database) const;
  bool CopyOneFile(const std::string& source, const std::string& target, bool failIfExists);
  std::string ClientDatabasePath() const;

  bool ExistingInstall = false;
  bool ChangesStarted = false;
  std::string ClientExeName;
  std::string DatabaseName;
  std::string TemplateName;
  std::string SourceDir;
  std::string MixFolder;
  std::string VersionText;
};

// The one setup wizard of a run.
extern TSetupForm* SetupForm;
