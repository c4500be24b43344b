#include <windows.h>

#include <shlobj.h>

#include "sys/known_folders.h"
#include "sys/path.h"

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
  }
  return -1;
}

}  // namespace

std::string KnownFolderPath(KnownFolder folder) {
  char path[MAX_PATH] = "";
  if (FAILED(SHGetFolderPathA(nullptr, CsidlOf(folder), nullptr, SHGFP_TYPE_CURRENT, path)))
    return std::string();
  std::string result = path;
  // A drive root keeps its backslash ("C:\"), every other folder loses it.
  return result.size() > 3 ? StripBackslash(result) : result;
}
