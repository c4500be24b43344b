// The linked drive selector, directory list and file list of a folder picker,
// on real folders under the prefix's C: drive.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sys/ansi.h"
#include "sys/wide.h"
#include "tests/sys_win/scratch.h"
#include "tests/ui/form_test_support.h"
#include "ui/ui.h"

namespace {

using namespace ui;

const FormSpec kPickerSpec = {"Picker", 400, 220, {"MS Sans Serif", -11, kInherit},
                              Border::Dialog, true, false, false};
const ControlSpec kPickerControls[] = {
    {Kind::DirList, "Dirs", "", 8, 8, 180, 160, "", {}, 0},
    {Kind::FileList, "Files", "", 200, 8, 180, 160, "", {}, 0},
    {Kind::DriveCombo, "Drives", "", 8, 180, 180, 19, "", {}, 0},
};

class Picker : public Form {
 public:
  Picker()
      : Form(kPickerSpec, kPickerControls, CountOf(kPickerControls)),
        Dirs(Get<DirList>("Dirs")),
        Files(Get<FileList>("Files")),
        Drives(Get<DriveCombo>("Drives")) {
    Dirs.SetFileList(&Files);
    Drives.SetDirList(&Dirs);
    Dirs.onChange = [this] {
      ++changes;
      Drives.ShowDriveOf(Dirs.Directory());
    };
  }
  DirList& Dirs;
  FileList& Files;
  DriveCombo& Drives;
  int changes = 0;
};

std::vector<std::string> Items(HWND list, UINT countMsg, UINT lengthMsg, UINT textMsg) {
  std::vector<std::string> items;
  LRESULT n = SendMessageW(list, countMsg, 0, 0);
  for (LRESULT i = 0; i < n; ++i) {
    std::wstring text(static_cast<size_t>(SendMessageW(list, lengthMsg, i, 0)) + 1, L'\0');
    SendMessageW(list, textMsg, i, reinterpret_cast<LPARAM>(&text[0]));
    text.resize(text.size() - 1);
    items.push_back(Narrow(text));
  }
  return items;
}

std::vector<std::string> ListItems(HWND list) {
  return Items(list, LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT);
}

// The list's own notification, as a double-click on item i sends it.
void DoubleClick(Picker& picker, int i) {
  HWND list = picker.Dirs.Handle();
  SendMessageA(list, LB_SETCURSEL, i, 0);
  SendMessageA(picker.Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), LBN_DBLCLK),
               reinterpret_cast<LPARAM>(list));
}

int IndexOf(const std::vector<std::string>& items, const std::string& trimmedText) {
  for (size_t i = 0; i < items.size(); ++i)
    if (items[i].substr(items[i].find_first_not_of(' ')) == trimmedText) return static_cast<int>(i);
  return -1;
}

}  // namespace

TEST(DirList, ShowsAncestorsThenSubfoldersAndFeedsTheFileList) {
  ScratchDir dir("dirlist");
  MakeDir(dir / "Alpha");
  MakeDir(dir / "beta");
  MakeDir(dir / "Почта");
  WriteTextFile(dir / "Почта\\ПИСЬМО.txt", "p");
  WriteTextFile(dir / "Readme.TXT", "r");
  WriteTextFile(dir / "b.dat", "b");
  WriteTextFile(dir / "Alpha\\inner.txt", "i");
  const std::string folder = dir.Path().substr(0, dir.Path().size() - 1);  // no trailing "\"

  Picker picker;
  picker.Dirs.SetDirectory(dir.Path());
  EXPECT_EQ(picker.Dirs.Directory(), folder);
  EXPECT_EQ(picker.changes, 1);

  std::vector<std::string> items = ListItems(picker.Dirs.Handle());
  // "c:\", one line per folder on the way down (indented a step more each),
  // then the subfolders one step further in.
  size_t depth = 0;
  for (char c : folder.substr(3)) depth += c == '\\';
  const size_t ancestors = depth + 2;  // the root, the folders between, the folder itself
  ASSERT_EQ(items.size(), ancestors + 3);
  EXPECT_EQ(items[0], "c:\\");
  EXPECT_EQ(items[1].find_first_not_of(' '), 2u);
  EXPECT_EQ(items[ancestors].find_first_not_of(' '), 2 * ancestors);
  EXPECT_NE(IndexOf(items, "Alpha"), -1);
  EXPECT_NE(IndexOf(items, "beta"), -1);
  // The folder itself is highlighted.
  EXPECT_EQ(SendMessageA(picker.Dirs.Handle(), LB_GETCURSEL, 0, 0),
            static_cast<LRESULT>(ancestors - 1));
  // Files only, in lower case, sorted.
  EXPECT_EQ(ListItems(picker.Files.Handle()), std::vector<std::string>({"b.dat", "readme.txt"}));

  // A folder that is not there moves nothing.
  picker.Dirs.SetDirectory(dir / "missing");
  EXPECT_EQ(picker.Dirs.Directory(), folder);
  EXPECT_EQ(picker.changes, 1);

  // A double-click opens the highlighted folder.
  DoubleClick(picker, IndexOf(items, "Alpha"));
  EXPECT_EQ(picker.Dirs.Directory(), folder + "\\Alpha");
  EXPECT_EQ(ListItems(picker.Files.Handle()), std::vector<std::string>({"inner.txt"}));
  EXPECT_EQ(picker.changes, 2);

  // A name of any letters, whole; its files in lower case.
  picker.Dirs.SetDirectory(dir.Path());
  DoubleClick(picker, IndexOf(items, "Почта"));
  EXPECT_EQ(picker.Dirs.Directory(), folder + "\\Почта");
  EXPECT_EQ(ListItems(picker.Files.Handle()), std::vector<std::string>({"письмо.txt"}));

  // Up to the drive root, which keeps its backslash.
  DoubleClick(picker, 0);
  EXPECT_EQ(picker.Dirs.Directory(), "C:\\");
}

TEST(DriveCombo, ListsTheDrivesAndMovesTheDirectoryListToTheChosenOne) {
  ScratchDir dir("drives");
  MakeDir(dir / "here");
  formtest::CurrentDirGuard keep;
  Picker picker;
  HWND combo = picker.Drives.Handle();
  std::vector<std::string> drives = Items(combo, CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT);
  int c = -1;
  for (size_t i = 0; i < drives.size(); ++i)
    if (drives[i].compare(0, 2, "c:") == 0) c = static_cast<int>(i);
  ASSERT_NE(c, -1) << "no c: among " << drives.size() << " drives";

  // Following the directory list selects its drive.
  picker.Dirs.SetDirectory(dir.Path());
  EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), c);

  // Choosing a drive opens its current folder, as the system keeps it.
  ASSERT_TRUE(SetCurrentDirectoryA((dir / "here").c_str()));
  SendMessageA(combo, CB_SETCURSEL, c, 0);
  SendMessageA(picker.Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(combo));
  EXPECT_TRUE(AnsiSameText(picker.Dirs.Directory(), dir / "here"));
}
