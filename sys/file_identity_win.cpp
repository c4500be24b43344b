#include <windows.h>

#include <cstdio>
#include <vector>

#include "sys/file_identity.h"
#include "sys/handle.h"
#include "sys/path.h"
#include "sys/reached_win.h"
#include "sys/utf8_case.h"
#include "sys/wide.h"

namespace {

// Attributes only, shared with every other opener: a file in use still tells
// who it is, and nobody is kept from it meanwhile.
UniqueHandle OpenForIdentity(const std::string& path) {
  return UniqueHandle(CreateFileW(Widen(path).c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

}  // namespace

bool IdentifyPath(const std::string& path, FileIdentity* identity, std::string* finalPath) {
  if (path.empty()) return false;
  UniqueHandle file = OpenForIdentity(path);
  BY_HANDLE_FILE_INFORMATION info;
  if (!file || !GetFileInformationByHandle(file.Get(), &info)) return false;
  identity->volume = info.dwVolumeSerialNumber;
  identity->index = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  if (finalPath) *finalPath = FinalPathOf(file.Get());
  return true;
}

namespace {

std::string PlaceOfHandle(HANDLE file) {
  BY_HANDLE_FILE_INFORMATION info;
  std::vector<char> buffer(sizeof(FILE_NAME_INFO) + 32768 * sizeof(wchar_t));
  auto* name = reinterpret_cast<FILE_NAME_INFO*>(buffer.data());
  if (!GetFileInformationByHandle(file, &info) ||
      !GetFileInformationByHandleEx(file, FileNameInfo, name, static_cast<DWORD>(buffer.size())))
    return std::string();
  char volume[16];
  std::snprintf(volume, sizeof volume,
                "%08lX:", static_cast<unsigned long>(info.dwVolumeSerialNumber));
  return volume + Narrow(name->FileName, name->FileNameLength / sizeof(wchar_t));
}

// Wine gives a name without its trailing dots and blanks, as the system
// reads it.
std::string AsRead(const std::string& name) {
  return name.substr(0, name.find_last_not_of(". ") + 1);
}

// Whether place is folderPlace followed by name: "1A2B3C4D:\Apps" and "x" of
// "1A2B3C4D:\Apps\x".
bool IsPlaceIn(const std::string& place, const std::string& folderPlace, const std::string& name) {
  const size_t slash = place.rfind('\\');
  return slash != std::string::npos && !folderPlace.empty() &&
         Utf8SameText(place.substr(0, slash), StripBackslash(folderPlace)) &&
         Utf8SameText(AsRead(place.substr(slash + 1)), AsRead(name));
}

}  // namespace

std::string PlaceOf(const std::string& path) {
  UniqueHandle file = OpenForIdentity(path);
  return file ? PlaceOfHandle(file.Get()) : std::string();
}

bool LiesDirectlyIn(const std::string& path, const std::string& folderPlace) {
  return IsPlaceIn(PlaceOf(path), folderPlace, ExtractFileName(StripBackslash(path)));
}

bool DeleteInside(const std::string& path, const std::string& folderPlace) {
  UniqueHandle entry(
      CreateFileW(Widen(StripBackslash(path)).c_str(), DELETE | FILE_READ_ATTRIBUTES,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                  FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!entry ||
      !IsPlaceIn(PlaceOfHandle(entry.Get()), folderPlace, ExtractFileName(StripBackslash(path))))
    return false;
  FILE_DISPOSITION_INFO gone = {TRUE};
  return SetFileInformationByHandle(entry.Get(), FileDispositionInfo, &gone, sizeof gone) != FALSE;
}

bool SamePath(const std::string& a, const std::string& b) {
  FileIdentity first, second;
  return IdentifyPath(a, &first) && IdentifyPath(b, &second) && first == second;
}
