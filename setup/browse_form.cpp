#include "setup/DirBrow.h"
#include "sys/controls.h"
#include "sys/files.h"
#include "sys/module_path.h"
#include "sys/path.h"
#include "sys/utf8_case.h"

using namespace ui;

namespace {

const FormSpec kBrowseFormSpec = {"Select Directory", 401, 215, {"MS Sans Serif", -11, kInherit},
                                  Border::Dialog, true, true, false};

const ControlSpec kBrowseControls[] = {
    {Kind::DirList, "DirectoryListBox1", "", 16, 16, 177, 116, "", {}, 0},
    {Kind::FileList, "FileListBox1", "", 208, 16, 177, 148, "", {"MS Sans Serif", -11, kGray}, 0},
    {Kind::DriveCombo, "DriveComboBox1", "", 16, 145, 177, 19, "", {}, 0},
    {Kind::Button, "OkBtn", "", 224, 178, 75, 25, "&Ok", {}, kDefault | kModalOk},
    {Kind::Button, "CancelBtn", "", 312, 178, 75, 25, "&Cancel", {}, kCancel | kModalCancel},
};

}  // namespace

TBrowseDlg::TBrowseDlg(Form& owner)
    : Form(kBrowseFormSpec, kBrowseControls, CountOf(kBrowseControls), &owner),
      DirectoryListBox1(Get<DirList>("DirectoryListBox1")),
      FileListBox1(Get<FileList>("FileListBox1")),
      DriveComboBox1(Get<DriveCombo>("DriveComboBox1")),
      OkBtn(Get<Button>("OkBtn")),
      CancelBtn(Get<Button>("CancelBtn")) {
  onShow = [this] { FormShow(); };
  onCloseQuery = [this](bool& canClose) { FormCloseQuery(canClose); };
  DirectoryListBox1.SetFileList(&FileListBox1);
  DriveComboBox1.SetDirList(&DirectoryListBox1);
  DirectoryListBox1.onChange = [this] { DriveComboBox1.ShowDriveOf(DirectoryListBox1.Directory()); };
}

// Opens on the program's own folder, which also becomes the current directory.
void TBrowseDlg::FormShow() {
  std::string folder = ExtractFilePath(ModuleFileName());
  DirectoryListBox1.SetDirectory(folder);
  SetCurrentDir(folder);
}

void TBrowseDlg::FormCloseQuery(bool& canClose) {
  if (ModalResult() == mrCancel) return;
  std::string directory = DirectoryListBox1.Directory();
  if (!RequiredFile.empty() && !FileExists(AddBackslash(directory) + RequiredFile)) {
    MsgBox(Handle(),
           "The file '" + RequiredFile + "' is not in the directory you have chosen.\nPlease select again.",
           "Invalid path", BoxKind::Error);
    canClose = false;
    return;
  }
  ChosenDir = directory;
}

std::string BrowseForDirectory(Form& owner, const std::string& requiredFile) {
  TBrowseDlg dialog(owner);
  CenterOver(dialog.Handle(), owner.Handle());
  dialog.RequiredFile = requiredFile;
  int result = dialog.ShowModal();
  return Utf8LowerCase(result == mrCancel ? std::string("cancel") : dialog.ChosenDir);
}
