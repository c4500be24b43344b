// A registry value naming a folder that holds far more than one program never
// empties that folder.
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>

#include "tests/sys_win/scratch.h"
#include "tests/uninstall/uninstall_fixture.h"
#include "uninstall/UninstDlg.h"
#include "common/protected_folders.h"

namespace {

// A 64-bit Windows names its own Program Files in the environment every
// program starts with; this prefix has none, so the tests give it one before
// anything looks at the protected folders.
const char kNativeProgramFiles[] = "C:\\Program Files Native";
const bool kNativeProgramFilesNamed = SetEnvironmentVariableA("ProgramW6432", kNativeProgramFiles);

std::string ShellFolder(int csidl) {
  char path[MAX_PATH] = "";
  EXPECT_EQ(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path), S_OK) << csidl;
  return path;
}

std::string KnownFolder(const KNOWNFOLDERID& id) {
  PWSTR wide = nullptr;
  char path[MAX_PATH] = "";
  EXPECT_EQ(SHGetKnownFolderPath(id, KF_FLAG_DONT_VERIFY, nullptr, &wide), S_OK);
  if (wide) WideCharToMultiByte(CP_ACP, 0, wide, -1, path, MAX_PATH, nullptr, nullptr);
  CoTaskMemFree(wide);
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

// The files steps' lines of a removal of what the keys name.
// complete: whether the removal counted itself complete.
Lines FilesStepsLog(bool client, bool mixmaster, bool* complete = nullptr) {
  Lines files;
  const RemovalOutcome outcome =
      RunRemoval(ReadInstalledProducts(), {client, mixmaster}, [&files](const std::string& line, bool) {
        if (line.rfind("   program files", 0) == 0) files.push_back(line);
      });
  if (complete) *complete = outcome.complete;
  return files;
}

const char kSkipped[] = "   program files...skipped (protected folder)";

struct ProtectedFolder {
  const char* name;
  int csidl;                      // -1: none
  const KNOWNFOLDERID* known;     // a folder without a CSIDL
  const char* environment;        // a folder only the environment names
  std::string (*other)();         // a folder no list of the shell's names
};

std::string TempFolder() {
  char path[MAX_PATH] = "";
  GetTempPathA(MAX_PATH, path);
  return std::string(path).substr(0, strlen(path) - 1);
}

std::string UserPrograms() { return ShellFolder(CSIDL_LOCAL_APPDATA) + "\\Programs"; }
// Where the shell defines it; Wine's shell does not give it by its id.
std::string QuickLaunch() {
  return ShellFolder(CSIDL_APPDATA) + "\\Microsoft\\Internet Explorer\\Quick Launch";
}

// Test names carry the row name, not its bytes.
void PrintTo(const ProtectedFolder& row, std::ostream* os) { *os << row.name; }

const ProtectedFolder kFolders[] = {
    {"DriveRoot", -1, nullptr, nullptr},
    {"Windows", CSIDL_WINDOWS, nullptr, nullptr},
    {"System", CSIDL_SYSTEM, nullptr, nullptr},
    {"Profile", CSIDL_PROFILE, nullptr, nullptr},
    {"Desktop", CSIDL_DESKTOPDIRECTORY, nullptr, nullptr},
    {"Documents", CSIDL_PERSONAL, nullptr, nullptr},
    {"ProgramFiles", CSIDL_PROGRAM_FILES, nullptr, nullptr},
    {"Downloads", -1, &FOLDERID_Downloads, nullptr},
    {"Pictures", CSIDL_MYPICTURES, nullptr, nullptr},
    {"Music", CSIDL_MYMUSIC, nullptr, nullptr},
    {"Videos", CSIDL_MYVIDEO, nullptr, nullptr},
    {"AppData", CSIDL_APPDATA, nullptr, nullptr},
    {"LocalAppData", CSIDL_LOCAL_APPDATA, nullptr, nullptr},
    {"Favorites", CSIDL_FAVORITES, nullptr, nullptr},
    {"StartMenu", CSIDL_STARTMENU, nullptr, nullptr},
    {"Programs", CSIDL_PROGRAMS, nullptr, nullptr},
    {"Startup", CSIDL_STARTUP, nullptr, nullptr},
    {"Users", -1, &FOLDERID_UserProfiles, nullptr},
    {"Public", -1, &FOLDERID_Public, nullptr},
    {"ProgramData", CSIDL_COMMON_APPDATA, nullptr, nullptr},
    {"ProgramFilesX86", CSIDL_PROGRAM_FILESX86, nullptr, nullptr},
    {"ProgramFilesNative", -1, nullptr, "ProgramW6432"},
    // Only the known-folder manager lists these.
    {"Links", -1, &FOLDERID_Links, nullptr},
    {"SavedGames", -1, &FOLDERID_SavedGames, nullptr},
    {"Contacts", -1, &FOLDERID_Contacts, nullptr},
    {"Searches", -1, &FOLDERID_SavedSearches, nullptr},
    {"PublicMusic", -1, &FOLDERID_PublicMusic, nullptr},
    {"PublicPictures", -1, &FOLDERID_PublicPictures, nullptr},
    {"PublicVideos", -1, &FOLDERID_PublicVideos, nullptr},
    {"CommonTemplates", -1, &FOLDERID_CommonTemplates, nullptr},
    {"InternetCache", -1, &FOLDERID_InternetCache, nullptr},
    {"Cookies", -1, &FOLDERID_Cookies, nullptr},
    {"History", -1, &FOLDERID_History, nullptr},
    {"LocalAppDataLow", -1, &FOLDERID_LocalAppDataLow, nullptr},
    {"NetworkShortcuts", -1, &FOLDERID_NetHood, nullptr},
    {"QuickLaunch", -1, nullptr, nullptr, QuickLaunch},
    {"Temp", -1, nullptr, nullptr, TempFolder},
    {"UserPrograms", -1, nullptr, nullptr, UserPrograms},
};

class UninstProtectedFolders : public UninstallTest,
                         public ::testing::WithParamInterface<ProtectedFolder> {
 protected:
  // The folder, made when the shell names it but it is not there yet.
  std::string Folder() const {
    const ProtectedFolder& row = GetParam();
    if (row.other) {
      MakeDirs(row.other());
      return row.other();
    }
    if (row.known) {
      MakeDirs(KnownFolder(*row.known));
      return KnownFolder(*row.known);
    }
    if (row.environment) {
      EXPECT_TRUE(kNativeProgramFilesNamed);
      MakeDirs(kNativeProgramFiles);
      return kNativeProgramFiles;
    }
    return row.csidl < 0 ? std::string("C:\\") : ShellFolder(row.csidl);
  }
};

TEST_P(UninstProtectedFolders, FilesStepsDeleteNothingThere) {
  const std::string folder = Folder();
  ASSERT_NE(GetFileAttributesA(folder.c_str()), INVALID_FILE_ATTRIBUTES) << folder;
  Probe probe(folder);
  InstallClient(folder);
  InstallMixmaster(folder);

  bool complete = true;
  EXPECT_EQ(FilesStepsLog(true, true, &complete), Lines({kSkipped, kSkipped}));
  EXPECT_FALSE(complete);  // the product's files are still there
  EXPECT_TRUE(probe.Survived()) << folder;
  EXPECT_NE(GetFileAttributesA(folder.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_P(UninstProtectedFolders, RecognisedInItsShortAndOtherCaseForms) {
  const std::string folder = Folder();
  EXPECT_TRUE(IsProtectedFolder(folder));
  EXPECT_TRUE(IsProtectedFolder(folder + (folder.back() == '\\' ? "" : "\\")));
  EXPECT_TRUE(IsProtectedFolder(Upper(folder)));
  EXPECT_TRUE(IsProtectedFolder(Lower(ShortForm(folder))));
  // Prefixes that are ordinary Win32 paths, and a trailing dot the system drops.
  EXPECT_TRUE(IsProtectedFolder("\\\\?\\" + folder));
  EXPECT_TRUE(IsProtectedFolder("\\\\.\\" + folder));
  EXPECT_TRUE(IsProtectedFolder(folder + "."));
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
  // A share's root, even out of reach.
  for (const char* path : {"\\\\server\\share", "\\\\?\\UNC\\server\\share\\"})
    EXPECT_TRUE(IsProtectedFolder(path)) << path;
}

// The Desktop and the root in "\\?\" and "\\.\" spellings, from the registry.
TEST_F(UninstProtectedFolderRule, PrefixedSpellingsKeepTheirFiles) {
  const std::string desktop = ShellFolder(CSIDL_DESKTOPDIRECTORY);
  Probe onDesktop(desktop), onRoot("C:\\");
  for (const std::string& path : Lines{"\\\\?\\C:\\", "\\\\.\\C:\\", "\\\\?\\" + desktop}) {
    InstallClient(path);
    EXPECT_EQ(FilesStepsLog(true, false), Lines({kSkipped})) << path;
  }
  EXPECT_TRUE(onDesktop.Survived());
  EXPECT_TRUE(onRoot.Survived());
}

// A link to the Desktop (on Windows a junction such as "Documents and
// Settings\<user>\Desktop") is the Desktop; what holds the place the Desktop
// leads into is protected too.
TEST_F(UninstProtectedFolderRule, LinkToTheDesktopKeepsItsFiles) {
  const std::string desktop = ShellFolder(CSIDL_DESKTOPDIRECTORY);
  Probe probe(desktop);
  ScratchDir root("desktoplink");
  LinuxLink link(root / "Desktop", desktop);
  InstallClient(root / "Desktop");
  InstallMixmaster(root / "Desktop\\");

  EXPECT_EQ(FilesStepsLog(true, true), Lines({kSkipped, kSkipped}));
  EXPECT_TRUE(probe.Survived());
  // Wine's Desktop leads into the Linux home.
  char target[MAX_PATH] = "";
  HANDLE opened = CreateFileA(desktop.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  ASSERT_NE(opened, INVALID_HANDLE_VALUE);
  ASSERT_GT(GetFinalPathNameByHandleA(opened, target, MAX_PATH, 0), 0u);
  CloseHandle(opened);
  const std::string home = std::string(target).substr(0, std::string(target).rfind('\\'));
  EXPECT_TRUE(IsProtectedFolder(home)) << home;
}

TEST_F(UninstProtectedFolderRule, RootWrittenWithASlashKeepsItsFiles) {
  Probe probe("C:\\");
  InstallClient("C:/");
  InstallMixmaster(ShellFolder(CSIDL_WINDOWS) + "\\system32\\..\\");

  EXPECT_EQ(FilesStepsLog(true, true), Lines({kSkipped, kSkipped}));
  EXPECT_TRUE(probe.Survived());
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

  EXPECT_EQ(FilesStepsLog(true, false), Lines({"   program files...done"}));
  EXPECT_EQ(FolderNames(own + "\\"), Lines({"cv.dbc"}));
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

  const Lines log = FilesStepsLog(true, false);
  SetCurrentDirectoryA(previous);
  EXPECT_EQ(FolderNames(root / "cv\\"), Lines({"cv.exe"}));
  EXPECT_EQ(log, Lines({kSkipped}));
}

TEST_F(UninstProtectedFolderRule, OrdinaryAndEmptyFoldersAreNotProtected) {
  ScratchDir root("ordinary");
  EXPECT_FALSE(IsProtectedFolder(root.Path()));
  EXPECT_FALSE(IsProtectedFolder(""));
  EXPECT_FALSE(IsProtectedFolder(root / "missing\\"));
}

}  // namespace
