// The uninstall wizard: finds out what is installed, lets the user choose
// what to remove, reviews, confirms and removes with a progress log.
#pragma once
#include <functional>
#include <string>

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

  // Folder relations of the client's folder A and Mixmaster's folder M.
  bool MixInsideApp() const;
  bool AppInsideMix() const;
  bool SameFolders() const;
  bool SeparateFolders() const;

  // The removal.
  void RunRemoval();
  void RemoveApp();
  void RemoveMix();
  bool RemoveProgramGroup();
  void RemoveAppFiles();
  void RemoveMixFiles();
  void RemoveAppKey();
  void RemoveMixKey();

  // An unattended removal: no pauses and no sound; each log line also goes
  // to OnLog.
  bool Unattended = false;
  std::function<void(const std::string&)> OnLog;
  // Whether the last removal left something behind it meant to remove.
  bool LeftSomething() const { return Incomplete; }

  const std::string& GetAppDir() const { return AppDir; }
  const std::string& GetMixDir() const { return MixDir; }
  bool IsAppInstalled() const { return AppInstalled; }
  bool IsMixInstalled() const { return MixInstalled; }

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
  ui::DdeClient DDEClient;

 protected:
  bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

 private:
  void OpeningChecks();
  void ShowPage(int index, bool fillReview);
  void EnableNextByChoice();
  void Log(const std::string& line);
  void Pause();
  // A log line, then pending messages and the pause every step ends with.
  void StepDone(const std::string& line);
  // "...done", or "...failed" followed by what the step left behind.
  void StepEnded(const std::string& step, const Lines& left);
  void FilesStep(const std::string& folder, Lines (*remove)(const std::string&));
  std::string FolderA() const;
  std::string FolderM() const;

  std::string ProgramGroup;
  std::string AppDir;
  std::string MixDir;
  std::string AppVersion;
  bool AppInstalled = false;
  bool MixInstalled = false;
  bool Removing = false;    // the removal runs: the window cannot be closed
  bool Incomplete = false;  // a removal step left something behind
};

// The one uninstall wizard of a run.
extern TUninstWiz* UninstWiz;
