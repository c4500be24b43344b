#include "sys/reached_win.h"

#include <vector>

#include "sys/file_identity.h"
#include "sys/path.h"
#include "sys/utf8_case.h"
#include "sys/wide.h"

std::string FinalPathOf(HANDLE file) {
  DWORD needed = GetFinalPathNameByHandleW(file, nullptr, 0, VOLUME_NAME_DOS);
  if (needed == 0) return std::string();
  std::vector<wchar_t> buffer(needed + 1, L'\0');
  DWORD n = GetFinalPathNameByHandleW(file, buffer.data(), static_cast<DWORD>(buffer.size()),
                                      VOLUME_NAME_DOS);
  return n == 0 || n >= buffer.size() ? std::string() : Narrow(buffer.data(), n);
}

bool ReachedAsNamed(HANDLE file, const std::string& path, size_t parts) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(file, &info) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
    return false;
  if (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && info.nNumberOfLinks > 1) return false;
  std::string base = StripBackslash(path), names;
  for (size_t i = 0; i < parts; ++i) {
    const std::string name = ExtractFileName(base);
    if (name.empty()) return false;
    names = "\\" + name + names;
    base = StripBackslash(ExtractFilePath(base));
  }
  // "C:" stands for the current folder of drive C, its root is "C:\".
  if (base.size() == 2 && base[1] == ':') base += '\\';
  FileIdentity identity;
  std::string reachedBase;
  if (!IdentifyPath(base, &identity, &reachedBase) || reachedBase.empty()) return false;
  const std::string reached = FinalPathOf(file);
  return !reached.empty() && Utf8SameText(reached, StripBackslash(reachedBase) + names);
}
