// A registry value naming a folder that holds far more than one program never
// empties that folder.
#include <shlobj.h>

#include <gtest/gtest.h>

#include "tests/sys_win/scratch.h"
#include "tests/uninstall/uninstall_fixture.h"
#include "uninstall/UninstDlg.h"
#include "uninstall/folder_cleanup.h"

namespace {

std::string ShellFolder(int csidl) {
  char path[MAX_PATH] = "";
  EXPECT_EQ(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path), S_OK) << csidl;
  return path;
}

// A throw-away file in a folder the test does not own, removed afterwards.
class Probe {
 public:
  explicit Probe(const std::string& folder)
      : path_(AddSlash(folder) + "cvuninst_probe_" + std::to_string(GetCurrentProcessId()) +
              ".txt") {
    WriteTextFile(path_, "probe");
  }
  ~Probe() { DeleteFileA(path_.c_str()); }
  bool Survived() const { return ReadTextFile(path_) == "probe"; }

 private:
  static std::string AddSlash(const std::string& f) {
    return !f.empty() && f.back() == '\\' ? f : f + "\\";
  }
  std::string path_;
};

struct ProtectedFolder {
  const char* name;
  int csidl;  // -1: the drive root
};

// Test names carry the row name, not its bytes.
void PrintTo(const ProtectedFolder& row, std::ostream* os) { *os << row.name; }

const ProtectedFolder kFolders[] = {
    {"DriveRoot", -1},
    {"Windows", CSIDL_WINDOWS},
    {"System", CSIDL_SYSTEM},
    {"Profile", CSIDL_PROFILE},
    {"Desktop", CSIDL_DESKTOPDIRECTORY},
    {"Documents", CSIDL_PERSONAL},
    {"ProgramFiles", CSIDL_PROGRAM_FILES},
};

class UninstProtectedFolders : public UninstallTest,
                         public ::testing::WithParamInterface<ProtectedFolder> {
 protected:
  std::string Folder() const {
    return GetParam().csidl < 0 ? std::string("C:\\") : ShellFolder(GetParam().csidl);
  }
};

TEST_P(UninstProtectedFolders, ClientStepDeletesNothingThere) {
  const std::string folder = Folder();
  ASSERT_NE(GetFileAttributesA(folder.c_str()), INVALID_FILE_ATTRIBUTES) << folder;
  Probe probe(folder);
  InstallClient(folder);

  TUninstWiz wizard;
  wizard.RichEdit2.Clear();  // the steps alone, without RunRemoval
  wizard.RemoveAppFiles();
  EXPECT_TRUE(probe.Survived()) << folder;
  EXPECT_EQ(wizard.RichEdit2.GetLines(), Lines({"   program files...skipped (protected folder)"}));
}

TEST_P(UninstProtectedFolders, MixmasterStepDeletesNothingThere) {
  const std::string folder = Folder();
  Probe probe(folder);
  InstallMixmaster(folder);

  TUninstWiz wizard;
  wizard.RichEdit2.Clear();  // the steps alone, without RunRemoval
  wizard.RemoveMixFiles();
  EXPECT_TRUE(probe.Survived()) << folder;
  EXPECT_NE(GetFileAttributesA(folder.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(wizard.RichEdit2.GetLines(), Lines({"   program files...skipped (protected folder)"}));
}

TEST_P(UninstProtectedFolders, RecognisedInItsShortAndOtherCaseForms) {
  const std::string folder = Folder();
  EXPECT_TRUE(IsProtectedFolder(folder));
  EXPECT_TRUE(IsProtectedFolder(folder + (folder.back() == '\\' ? "" : "\\")));
  EXPECT_TRUE(IsProtectedFolder(Upper(folder)));
  EXPECT_TRUE(IsProtectedFolder(Lower(ShortForm(folder))));
}

INSTANTIATE_TEST_SUITE_P(Shell, UninstProtectedFolders, ::testing::ValuesIn(kFolders),
                         [](const ::testing::TestParamInfo<ProtectedFolder>& info) {
                           return std::string(info.param.name);
                         });

using UninstProtectedFolderRule = UninstallTest;

// The same folders reached through other spellings of their path.
TEST_F(UninstProtectedFolderRule, OtherSpellingsOfTheSameFolder) {
  const std::string windows = ShellFolder(CSIDL_WINDOWS);
  for (const std::string& path :
       {std::string("C:/"), std::string("c:\\\\"), std::string("C:\\."), windows + "\\..\\",
        windows + "\\.\\", windows + "\\system32\\..", std::string("C:/windows/")})
    EXPECT_TRUE(IsProtectedFolder(path)) << path;
}

TEST_F(UninstProtectedFolderRule, RootWrittenWithASlashKeepsItsFiles) {
  Probe probe("C:\\");
  InstallClient("C:/");
  InstallMixmaster(ShellFolder(CSIDL_WINDOWS) + "\\system32\\..\\");

  TUninstWiz wizard;
  wizard.RichEdit2.Clear();  // the steps alone, without RunRemoval
  wizard.RemoveAppFiles();
  wizard.RemoveMixFiles();
  EXPECT_TRUE(probe.Survived());
  EXPECT_EQ(wizard.RichEdit2.GetLines(),
            Lines({"   program files...skipped (protected folder)",
                   "   program files...skipped (protected folder)"}));
}

// Only the folder itself is protected: a program's own folder inside it is
// handled as any other.
TEST_F(UninstProtectedFolderRule, FolderInsideAProtectedOneIsEmptied) {
  const std::string own = ShellFolder(CSIDL_PERSONAL) + "\\Corvaline Test " +
                          std::to_string(GetCurrentProcessId());
  MakeDirs(own);
  WriteTextFile(own + "\\cv.exe", "x");
  WriteTextFile(own + "\\cv.dbc", "db");
  EXPECT_FALSE(IsProtectedFolder(own));
  InstallClient(own);

  TUninstWiz wizard;
  wizard.RichEdit2.Clear();  // the steps alone, without RunRemoval
  wizard.RemoveAppFiles();
  EXPECT_EQ(FolderNames(own + "\\"), Lines({"cv.dbc"}));
  EXPECT_EQ(wizard.RichEdit2.GetLines(), Lines({"   program files...done"}));
  DeleteFileA((own + "\\cv.dbc").c_str());
  RemoveDirectoryA(own.c_str());
}

// A relative folder in the registry would be read against whatever folder the
// uninstaller runs in: no files step acts on it.
TEST_F(UninstProtectedFolderRule, RelativeFolderIsNeverEmptied) {
  ScratchDir root("relative");
  MakeDirs(root / "cv");
  WriteTextFile(root / "cv\\cv.exe", "x");
  char previous[MAX_PATH] = "";
  GetCurrentDirectoryA(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryA(root.Path().c_str()));
  for (const char* path : {"cv", "cv\\", ".\\", "..", "C:cv", "\\cv"})
    EXPECT_TRUE(IsProtectedFolder(path)) << path;
  InstallClient("cv");

  TUninstWiz wizard;
  wizard.RichEdit2.Clear();  // the step alone, without RunRemoval
  wizard.RemoveAppFiles();
  SetCurrentDirectoryA(previous);
  EXPECT_EQ(FolderNames(root / "cv\\"), Lines({"cv.exe"}));
  EXPECT_EQ(wizard.RichEdit2.GetLines(), Lines({"   program files...skipped (protected folder)"}));
}

TEST_F(UninstProtectedFolderRule, OrdinaryAndEmptyFoldersAreNotProtected) {
  ScratchDir root("ordinary");
  EXPECT_FALSE(IsProtectedFolder(root.Path()));
  EXPECT_FALSE(IsProtectedFolder(""));
  EXPECT_FALSE(IsProtectedFolder(root / "missing\\"));
}

}  // namespace
