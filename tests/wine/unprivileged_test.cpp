// What the unprivileged kind of Wine session gives a test: a standard user's
// rights as Windows gives them to a program that is not elevated, and profile
// folders of the session's own.
#include <windows.h>

#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

std::string ShellFolder(int csidl) {
  char path[MAX_PATH] = "";
  EXPECT_EQ(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path), S_OK) << csidl;
  return path;
}

// A Linux path as Wine shows it, through the drive Z: of the whole file system.
std::string FromLinux(std::string path) {
  for (char& c : path)
    if (c == '/') c = '\\';
  return "Z:" + path;
}

std::string Probe(const std::string& folder) {
  return folder + "\\cv_session_probe_" + std::to_string(GetCurrentProcessId());
}

TEST(UnprivilegedSession, ReadOnlyFileCannotBeWrittenOrDeleted) {
  const std::string file = Probe(ShellFolder(CSIDL_LOCAL_APPDATA)) + ".txt";
  HANDLE h = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);
  ASSERT_TRUE(SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY));

  h = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  EXPECT_FALSE(DeleteFileA(file.c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));

  SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_TRUE(DeleteFileA(file.c_str()));
}

TEST(UnprivilegedSession, ProgramFilesTakesNoNewFolder) {
  const std::string folder = Probe(ShellFolder(CSIDL_PROGRAM_FILES));
  EXPECT_FALSE(CreateDirectoryA(folder.c_str(), nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  RemoveDirectoryA(folder.c_str());
}

TEST(UnprivilegedSession, TheUsersOwnFoldersTakeNewFolders) {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  for (const std::string& parent : {ShellFolder(CSIDL_LOCAL_APPDATA), ShellFolder(CSIDL_PROFILE),
                                    ShellFolder(CSIDL_DESKTOPDIRECTORY), std::string(temp)}) {
    const std::string folder = Probe(parent);
    EXPECT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << folder << ": " << GetLastError();
    EXPECT_TRUE(RemoveDirectoryA(folder.c_str())) << folder;
  }
}

// Each profile folder is a folder of its own in this session's HOME, so no
// two sessions (and no two of the folders) share one.
TEST(UnprivilegedSession, ProfileFoldersLieApartInTheSessionsHome) {
  // Wine keeps HOME to itself; the session's folder comes through.
  const char* session = std::getenv("CV_WINE_SESSION");
  ASSERT_TRUE(session && *session);
  const std::string home = FromLinux(session) + "\\home";
  const struct {
    int csidl;
    const char* inHome;
  } folders[] = {{CSIDL_DESKTOPDIRECTORY, "Desktop"}, {CSIDL_PERSONAL, "Documents"},
                 {CSIDL_MYMUSIC, "Music"},            {CSIDL_MYPICTURES, "Pictures"},
                 {CSIDL_MYVIDEO, "Videos"}};
  for (const auto& f : folders) {
    const std::string name = "cv_session_probe_" + std::string(f.inHome) + ".txt";
    const std::string file = ShellFolder(f.csidl) + "\\" + name;
    HANDLE h = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << file;
    CloseHandle(h);
    const std::string seen = home + "\\" + f.inHome + "\\" + name;
    EXPECT_NE(GetFileAttributesA(seen.c_str()), INVALID_FILE_ATTRIBUTES) << file << " is not " << seen;
    DeleteFileA(file.c_str());
  }
}

int CALLBACK CountFamily(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM found) {
  ++*reinterpret_cast<int*>(found);
  return 1;
}

// Caption buttons are drawn with Marlett's symbols; without it they show letters.
TEST(UnprivilegedSession, CaptionButtonFontIsInstalled) {
  HDC dc = GetDC(nullptr);
  LOGFONTA font = {};
  font.lfCharSet = DEFAULT_CHARSET;
  lstrcpyA(font.lfFaceName, "Marlett");
  int found = 0;
  EnumFontFamiliesExA(dc, &font, CountFamily, reinterpret_cast<LPARAM>(&found), 0);
  ReleaseDC(nullptr, dc);
  EXPECT_GT(found, 0);
}

}  // namespace
