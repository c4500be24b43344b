// The folder browse dialog: drive selector, directory tree and a read-only
// file list; it may insist that the chosen folder hold a named file.
#pragma once
#include <string>

#include "ui/ui.h"

class TBrowseDlg : public ui::Form {
 public:
  explicit TBrowseDlg(ui::Form& owner);

  void FormShow();
  void FormCloseQuery(bool& canClose);

  std::string RequiredFile;
  std::string ChosenDir;

  ui::DirList& DirectoryListBox1;
  ui::FileList& FileListBox1;
  ui::DriveCombo& DriveComboBox1;
  ui::Button& OkBtn;
  ui::Button& CancelBtn;
};

// The chosen folder in lower case, or the word "cancel".
std::string BrowseForDirectory(ui::Form& owner, const std::string& requiredFile);
