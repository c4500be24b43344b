#include "uninstall/folder_cleanup.h"

#include "app/constants.h"
#include "sys/ansi.h"
#include "sys/files.h"
#include "sys/known_folders.h"
#include "sys/path.h"

namespace {

// One spelling per folder: the full path reads "/" as "\", merges doubled
// separators and resolves "." and "..", so "C:/" or "C:\Windows\System32\.."
// are known for what they are; then the short form in lower case.
std::string Comparable(const std::string& folder) {
  const std::string full = FullPathName(AddBackslash(folder));
  return full.empty() ? std::string() : StripBackslash(AnsiLowerCase(ShortPathName(full)));
}

bool IsKeptDatabaseFile(const std::string& path) {
  const std::string name = AnsiLowerCase(ExtractFileName(path));
  const std::string base = AnsiLowerCase(ChangeFileExt(ClientExeFile, ""));
  return name == base + DatabaseExt || name == base + EncryptedExt ||
         name == base + EncryptedExt + BackupExt;
}

}  // namespace

bool IsProtectedFolder(const std::string& folder) {
  // A relative folder would be taken from whatever folder the uninstaller
  // happens to run in.
  if (!folder.empty() && !IsAbsolutePath(folder)) return true;
  const std::string f = Comparable(folder);
  if (f.empty()) return false;
  if (f.size() == 2 && f[1] == ':') return true;  // a drive root, "c:\"
  const KnownFolder known[] = {KnownFolder::Windows, KnownFolder::System, KnownFolder::Profile,
                               KnownFolder::Desktop, KnownFolder::Documents,
                               KnownFolder::ProgramFiles};
  for (KnownFolder k : known) {
    std::string path = KnownFolderPath(k);
    if (!path.empty() && Comparable(path) == f) return true;
  }
  return false;
}

bool RemoveClientFiles(const std::string& folder) {
  if (folder.empty() || !DirectoryExists(folder)) return false;
  FolderEntries entries = ListFolderEntries(AddBackslash(folder));
  for (const std::string& file : entries.files)
    if (!IsKeptDatabaseFile(file)) RemoveFile(file);
  return true;
}

bool RemoveMixmasterFiles(const std::string& folder) {
  if (folder.empty() || !DirectoryExists(folder)) return false;
  const std::string dir = AddBackslash(folder);
  FolderEntries entries = ListFolderEntries(dir);
  for (const std::string& file : entries.files) RemoveFile(file);
  bool result = true;
  const std::string pool = AnsiLowerCase(dir + "pool");
  for (auto it = entries.subfolders.begin(); it != entries.subfolders.end(); ++it) {
    if (AnsiSameText(*it, pool)) {
      result = DeleteTree(*it);
      entries.subfolders.erase(it);
      break;
    }
  }
  if (result && entries.subfolders.empty()) result = RemoveDir(dir);
  return result;
}
