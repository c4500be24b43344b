#include <windows.h>

#include <shlobj.h>
#include <shobjidl.h>

#include <set>

#include "sys/handle.h"
#include "sys/known_folders.h"
#include "sys/path.h"
#include "sys/wide.h"

namespace {

int CsidlOf(KnownFolder folder) {
  switch (folder) {
    case KnownFolder::Programs: return CSIDL_PROGRAMS;
    case KnownFolder::Profile: return CSIDL_PROFILE;
    case KnownFolder::Desktop: return CSIDL_DESKTOPDIRECTORY;
    case KnownFolder::Documents: return CSIDL_PERSONAL;
    case KnownFolder::Windows: return CSIDL_WINDOWS;
    case KnownFolder::System: return CSIDL_SYSTEM;
    case KnownFolder::ProgramFiles: return CSIDL_PROGRAM_FILES;
    case KnownFolder::Pictures: return CSIDL_MYPICTURES;
    case KnownFolder::Music: return CSIDL_MYMUSIC;
    case KnownFolder::Videos: return CSIDL_MYVIDEO;
    case KnownFolder::AppData: return CSIDL_APPDATA;
    case KnownFolder::LocalAppData: return CSIDL_LOCAL_APPDATA;
    case KnownFolder::Favorites: return CSIDL_FAVORITES;
    case KnownFolder::StartMenu: return CSIDL_STARTMENU;
    case KnownFolder::Startup: return CSIDL_STARTUP;
    case KnownFolder::CommonDesktop: return CSIDL_COMMON_DESKTOPDIRECTORY;
    case KnownFolder::CommonDocuments: return CSIDL_COMMON_DOCUMENTS;
    case KnownFolder::CommonStartMenu: return CSIDL_COMMON_STARTMENU;
    case KnownFolder::CommonPrograms: return CSIDL_COMMON_PROGRAMS;
    case KnownFolder::CommonStartup: return CSIDL_COMMON_STARTUP;
    case KnownFolder::ProgramData: return CSIDL_COMMON_APPDATA;
    case KnownFolder::ProgramFilesX86: return CSIDL_PROGRAM_FILESX86;
    case KnownFolder::CommonFiles: return CSIDL_PROGRAM_FILES_COMMON;
    case KnownFolder::SystemX86: return CSIDL_SYSTEMX86;
    case KnownFolder::Fonts: return CSIDL_FONTS;
    case KnownFolder::Templates: return CSIDL_TEMPLATES;
    case KnownFolder::SendTo: return CSIDL_SENDTO;
    case KnownFolder::Recent: return CSIDL_RECENT;
    case KnownFolder::AdminTools: return CSIDL_ADMINTOOLS;
    case KnownFolder::CommonAdminTools: return CSIDL_COMMON_ADMINTOOLS;
    default: return -1;
  }
}

// The four folder ids in use, written out: libuuid would bring several
// thousand others along.
constexpr KNOWNFOLDERID kDownloads = {0x374de290, 0x123f, 0x4565, {0x91, 0x64, 0x39, 0xc4, 0x92, 0x5e, 0x46, 0x7b}};
constexpr KNOWNFOLDERID kUserProfiles = {0x0762d272, 0xc50a, 0x4bb0, {0xa3, 0x82, 0x69, 0x7d, 0xcd, 0x72, 0x9b, 0x80}};
constexpr KNOWNFOLDERID kPublic = {0xdfdf76a2, 0xc82a, 0x4d63, {0x90, 0x6a, 0x56, 0x44, 0xac, 0x45, 0x73, 0x85}};
constexpr KNOWNFOLDERID kUserProgramFiles = {0x5cd7aee2, 0x2219, 0x4a67, {0xb8, 0x5d, 0x6c, 0x9c, 0xe1, 0x56, 0x60, 0xcb}};

constexpr CLSID kKnownFolderManager = {
    0x4df0c730, 0xdf9d, 0x4ae3, {0x91, 0x53, 0xaa, 0x6b, 0x82, 0xe9, 0x79, 0x5a}};
constexpr IID kKnownFolderManagerInterface = {
    0x8be2d872, 0x86aa, 0x4d47, {0xb7, 0x76, 0x32, 0xcc, 0xa4, 0x0c, 0x70, 0x18}};

// Folders that have no CSIDL of their own.
const KNOWNFOLDERID* FolderIdOf(KnownFolder folder) {
  switch (folder) {
    case KnownFolder::Downloads: return &kDownloads;
    case KnownFolder::Users: return &kUserProfiles;
    case KnownFolder::Public: return &kPublic;
    default: return nullptr;
  }
}

// The shell's own names, whatever their letters: through the ANSI calls a
// name outside the code page would come back as question marks and lead
// nowhere.
std::string ByCsidl(int csidl) {
  wchar_t path[MAX_PATH] = L"";
  if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return std::string();
  return Narrow(path);
}

std::string ByFolderId(const KNOWNFOLDERID& id, DWORD flags = 0, HANDLE user = nullptr) {
  PWSTR wide = nullptr;
  std::string result;
  if (SUCCEEDED(SHGetKnownFolderPath(id, flags, user, &wide))) result = Narrow(wide);
  CoTaskMemFree(wide);
  return result;
}

// A 32-bit program is shown "Program Files (x86)" as its Program Files: the
// native one is only named in the environment.
std::string NativeProgramFiles() {
  wchar_t path[MAX_PATH] = L"";
  DWORD n = GetEnvironmentVariableW(L"ProgramW6432", path, MAX_PATH);
  return n > 0 && n < MAX_PATH ? Narrow(path, n) : std::string();
}

std::string ShellPath(KnownFolder folder) {
  if (folder == KnownFolder::ProgramFilesNative) return NativeProgramFiles();
  if (const KNOWNFOLDERID* id = FolderIdOf(folder)) {
    std::string path = ByFolderId(*id);
    // Before the shell named it, the Users folder was where the profiles lie.
    if (path.empty() && folder == KnownFolder::Users)
      path = StripBackslash(ExtractFilePath(StripBackslash(ByCsidl(CSIDL_PROFILE))));
    return path;
  }
  return ByCsidl(CsidlOf(folder));
}

}  // namespace

std::string KnownFolderPath(KnownFolder folder) {
  std::string result = ShellPath(folder);
  // A drive root keeps its backslash ("C:\"), every other folder loses it.
  return result.size() > 3 ? StripBackslash(result) : result;
}

std::string UserProgramsFolder() {
  std::string folder = ByFolderId(kUserProgramFiles);
  // Older shells (and Wine) do not know it by name; it is always this one.
  if (folder.empty()) {
    const std::string local = ByCsidl(CSIDL_LOCAL_APPDATA);
    if (!local.empty()) folder = AddBackslash(local) + "Programs";
  }
  return StripBackslash(folder);
}

namespace {

// The folder's path as the shell gives it; else, for a folder the shell
// defines by its parent and a path below it, that (Wine defines many folders
// it does not place: Quick Launch, the user's own programs folder...).
std::string DefinedPath(IKnownFolderManager* manager, const KNOWNFOLDERID& id, HANDLE user,
                        int depth) {
  std::string path = ByFolderId(id, KF_FLAG_DONT_VERIFY, user);
  ComPtr<IKnownFolder> folder;
  KNOWNFOLDER_DEFINITION definition = {};
  if (!path.empty() || depth > 8 ||
      FAILED(manager->GetFolder(id, reinterpret_cast<IKnownFolder**>(folder.ReceiveVoid()))) ||
      FAILED(folder->GetFolderDefinition(&definition)))
    return path;
  if (definition.category != KF_CATEGORY_VIRTUAL && definition.pszRelativePath &&
      *definition.pszRelativePath && definition.fidParent != GUID{}) {
    const std::string parent = DefinedPath(manager, definition.fidParent, user, depth + 1);
    if (!parent.empty()) path = AddBackslash(parent) + Narrow(definition.pszRelativePath);
  }
  FreeKnownFolderDefinitionFields(&definition);
  return path;
}

}  // namespace

std::vector<std::string> EveryKnownFolderPath() {
  ComScope com;
  ComPtr<IKnownFolderManager> manager;
  KNOWNFOLDERID* ids = nullptr;
  UINT count = 0;
  if (FAILED(CoCreateInstance(kKnownFolderManager, nullptr, CLSCTX_INPROC_SERVER,
                              kKnownFolderManagerInterface, manager.ReceiveVoid())) ||
      FAILED(manager->GetFolderIds(&ids, &count)))
    return {};
  // The default user's token: the profile new users start from.
  const HANDLE defaultUser = reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1));
  std::vector<std::string> paths;
  std::set<std::string> seen;
  for (UINT i = 0; i < count; ++i)
    for (HANDLE user : {static_cast<HANDLE>(nullptr), defaultUser}) {
      const std::string path = DefinedPath(manager.Get(), ids[i], user, 0);
      const std::string folder = path.size() > 3 ? StripBackslash(path) : path;
      if (!folder.empty() && seen.insert(folder).second) paths.push_back(folder);
    }
  CoTaskMemFree(ids);
  return paths;
}
