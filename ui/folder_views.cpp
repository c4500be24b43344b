#include "ui/folder_views.h"

#include "sys/files.h"
#include "sys/path.h"
#include "sys/utf8_case.h"
#include "sys/wide.h"

namespace ui {

namespace {

std::vector<std::string> Entries(const std::string& folder, bool folders) {
  std::vector<std::string> names;
  for (const NamedEntry& entry : ListFolderAsNamed(AddBackslash(folder)))
    if (((entry.attributes & kDirectoryAttr) != 0) == folders) names.push_back(entry.name);
  return names;
}

void AddItem(HWND list, UINT message, const std::string& text) {
  SendMessageW(list, message, 0, reinterpret_cast<LPARAM>(Widen(text).c_str()));
}

// "c:\a\b\" -> "c:\a\b"; "c:\" stays.
std::string Normalized(std::string path) {
  std::string full = FullPathName(path);
  if (!full.empty()) path = full;
  if (path.size() > 3 && path.back() == '\\') path.pop_back();
  return path;
}

HBRUSH WindowBrush(HDC dc, COLORREF color) {
  if (color != kInherit) SetTextColor(dc, color);
  SetBkColor(dc, GetSysColor(COLOR_WINDOW));
  return GetSysColorBrush(COLOR_WINDOW);
}

}  // namespace

FileList::FileList(Form& form, const ControlSpec& row) : Control(form, row) {}

void FileList::SetDirectory(const std::string& directory) {
  SendMessageA(Handle(), LB_RESETCONTENT, 0, 0);
  for (const std::string& name : Entries(directory, false))
    AddItem(Handle(), LB_ADDSTRING, Utf8LowerCase(name));
}

HBRUSH FileList::OnCtlColor(HDC dc) { return WindowBrush(dc, color_); }

DirList::DirList(Form& form, const ControlSpec& row) : Control(form, row) {}

void DirList::SetDirectory(const std::string& directory) {
  std::string path = Normalized(directory);
  if (!DirectoryExists(path)) return;
  directory_ = path;
  Fill();
  if (fileList_) fileList_->SetDirectory(directory_);
  if (onChange) onChange();
}

void DirList::Fill() {
  SendMessageA(Handle(), WM_SETREDRAW, FALSE, 0);
  SendMessageA(Handle(), LB_RESETCONTENT, 0, 0);
  paths_.clear();
  // Ancestors: "c:\", then each folder on the way down, indented one step more.
  std::string prefix = directory_.substr(0, 3);
  paths_.push_back(prefix);
  std::vector<std::string> labels{Utf8LowerCase(prefix)};
  std::string rest = directory_.size() > 3 ? directory_.substr(3) : std::string();
  std::string walked = prefix;
  int depth = 1;
  for (size_t start = 0; start < rest.size();) {
    size_t stop = rest.find('\\', start);
    if (stop == std::string::npos) stop = rest.size();
    std::string part = rest.substr(start, stop - start);
    walked = AddBackslash(walked) + part;
    paths_.push_back(walked);
    labels.push_back(std::string(2 * depth++, ' ') + part);
    start = stop + 1;
  }
  int current = static_cast<int>(paths_.size()) - 1;
  for (const std::string& name : Entries(directory_, true)) {
    paths_.push_back(AddBackslash(directory_) + name);
    labels.push_back(std::string(2 * depth, ' ') + name);
  }
  for (const std::string& label : labels) AddItem(Handle(), LB_ADDSTRING, label);
  SendMessageA(Handle(), LB_SETCURSEL, current, 0);
  SendMessageA(Handle(), WM_SETREDRAW, TRUE, 0);
  InvalidateRect(Handle(), nullptr, TRUE);
}

void DirList::OnCommand(WORD code) {
  if (code != LBN_DBLCLK) return;
  LRESULT i = SendMessageA(Handle(), LB_GETCURSEL, 0, 0);
  if (i >= 0 && static_cast<size_t>(i) < paths_.size()) SetDirectory(paths_[static_cast<size_t>(i)]);
}

HBRUSH DirList::OnCtlColor(HDC dc) { return WindowBrush(dc, color_); }

DriveCombo::DriveCombo(Form& form, const ControlSpec& row) : Control(form, row) {}

void DriveCombo::OnCreated() {
  wchar_t drives[512];
  DWORD n = GetLogicalDriveStringsW(512, drives);
  for (const wchar_t* p = drives; n > 0 && n < 512 && *p; p += lstrlenW(p) + 1) {
    roots_.push_back(Narrow(p));
    std::string label = Utf8LowerCase(roots_.back().substr(0, 2));
    wchar_t volume[MAX_PATH + 1] = L"";
    if (GetDriveTypeW(p) == DRIVE_FIXED &&
        GetVolumeInformationW(p, volume, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0) && *volume)
      label += " [" + Narrow(volume) + "]";
    AddItem(Handle(), CB_ADDSTRING, label);
  }
}

void DriveCombo::ShowDriveOf(const std::string& path) {
  for (size_t i = 0; i < roots_.size(); ++i)
    if (path.size() >= 2 && Utf8SameText(path.substr(0, 2), roots_[i].substr(0, 2)))
      SendMessageA(Handle(), CB_SETCURSEL, i, 0);
}

void DriveCombo::OnCommand(WORD code) {
  if (code != CBN_SELCHANGE || !dirList_) return;
  LRESULT i = SendMessageA(Handle(), CB_GETCURSEL, 0, 0);
  if (i < 0 || static_cast<size_t>(i) >= roots_.size()) return;
  // The drive's current folder, as the system keeps it.
  dirList_->SetDirectory(roots_[static_cast<size_t>(i)].substr(0, 2));
}

HBRUSH DriveCombo::OnCtlColor(HDC dc) { return WindowBrush(dc, color_); }

}  // namespace ui
