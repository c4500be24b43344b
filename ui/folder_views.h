// The linked drive selector, directory list and file list of a folder
// picker: choosing a drive moves the directory list, and the file list shows
// the files of the directory list's folder.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "ui/control.h"

namespace ui {

class FileList : public Control {
 public:
  FileList(Form& form, const ControlSpec& row);
  void SetDirectory(const std::string& directory);
  HBRUSH OnCtlColor(HDC dc) override;
};

// The folder's ancestors from the drive root down, then its subfolders.
// Double-click (or Enter) opens the highlighted folder.
class DirList : public Control {
 public:
  DirList(Form& form, const ControlSpec& row);
  // The current folder: a full path without a trailing backslash, except at a drive root.
  const std::string& Directory() const { return directory_; }
  void SetDirectory(const std::string& directory);
  void SetFileList(FileList* list) { fileList_ = list; }
  std::function<void()> onChange;
  void OnCommand(WORD code) override;
  HBRUSH OnCtlColor(HDC dc) override;

 private:
  void Fill();
  std::string directory_;
  std::vector<std::string> paths_;  // full path of every item
  FileList* fileList_ = nullptr;
};

class DriveCombo : public Control {
 public:
  DriveCombo(Form& form, const ControlSpec& row);
  void SetDirList(DirList* list) { dirList_ = list; }
  // Selects the drive of path without moving the directory list.
  void ShowDriveOf(const std::string& path);
  void OnCommand(WORD code) override;
  HBRUSH OnCtlColor(HDC dc) override;

 protected:
  // Lists the drives there are.
  void OnCreated() override;

 private:
  std::vector<std::string> roots_;
  DirList* dirList_ = nullptr;
};

}  // namespace ui
