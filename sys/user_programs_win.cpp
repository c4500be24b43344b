#include <windows.h>

#include <knownfolders.h>
#include <shlobj.h>

#include "sys/known_folders.h"
#include "sys/path.h"

namespace {

std::string WideToAnsi(const wchar_t* text) {
  int n = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return std::string();
  std::string result(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, -1, &result[0], n, nullptr, nullptr);
  result.resize(static_cast<size_t>(n - 1));
  return result;
}

}  // namespace

std::string UserProgramsFolder() {
  PWSTR path = nullptr;
  std::string folder;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_UserProgramFiles, 0, nullptr, &path)))
    folder = WideToAnsi(path);
  CoTaskMemFree(path);
  if (!folder.empty()) return StripBackslash(folder);
  // Older shells (and Wine) do not know it by name; it is always this one.
  char local[MAX_PATH] = "";
  if (FAILED(SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, local)))
    return std::string();
  return AddBackslash(local) + "Programs";
}
