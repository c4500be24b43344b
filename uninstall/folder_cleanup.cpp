#include "uninstall/folder_cleanup.h"

#include "app/constants.h"
#include "sys/ansi.h"
#include "sys/files.h"
#include "sys/path.h"

namespace {

bool IsKeptDatabaseFile(const std::string& path) {
  const std::string name = AnsiLowerCase(ExtractFileName(path));
  const std::string base = AnsiLowerCase(ChangeFileExt(ClientExeFile, ""));
  return name == base + DatabaseExt || name == base + EncryptedExt ||
         name == base + EncryptedExt + BackupExt;
}

}  // namespace

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
