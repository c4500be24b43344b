#include "removal/folder_cleanup.h"

#include <algorithm>

#include "common/database_files.h"
#include "sys/extended_path.h"
#include "sys/file_identity.h"
#include "sys/files.h"
#include "sys/module_path.h"
#include "sys/path.h"
#include "sys/utf8_case.h"
#include "removal/kept_files.h"

namespace {

using KeepRule = bool (*)(const std::string& name);

// Neither step deletes a folder as if it were a file: a hidden folder or a
// link to one carries the folder bit with others.
bool IsFolder(const NamedEntry& entry) { return (entry.attributes & kDirectoryAttr) != 0; }

bool IsPool(const NamedEntry& entry) {
  return entry.attributes == kDirectoryAttr && Utf8SameText(entry.name, "pool");
}

// dir: "\\?\" form, ending in "\".
void DeleteFilesOf(const std::string& dir, KeepRule keep) {
  for (const NamedEntry& entry : ListFolderAsNamed(dir))
    if (!IsFolder(entry) && !keep(entry.name)) RemoveFile(dir + entry.name);
}

// The uninstaller running from the folder cannot delete itself: it stays, as
// the user expects, and is no failure.
bool IsRunningProgram(const std::string& path) { return SamePath(path, ModuleFileName()); }

// Sorted, so that the log lists them alike on every file system. A folder
// still there that cannot be read to its end is left as a whole: nothing
// says its files are gone.
Lines FilesLeftIn(const std::string& dir, KeepRule keep) {
  Lines left;
  bool complete = false;
  for (const NamedEntry& entry : ListFolderAsNamed(dir, &complete))
    if (!IsFolder(entry) && !keep(entry.name) && !IsRunningProgram(dir + entry.name))
      left.push_back(dir + entry.name);
  std::sort(left.begin(), left.end());
  if (!complete && DirectoryExists(dir)) left.push_back(StripBackslash(dir));
  return left;
}

// Whatever keeps Mixmaster's folder on purpose: a kept file, the running
// uninstaller, or a subfolder (a pool still there holds kept files only, or
// its leftovers were reported).
bool HoldsWhatStays(const std::string& dir) {
  for (const NamedEntry& entry : ListFolderAsNamed(dir))
    if (IsFolder(entry) || IsKeptByMixmaster(entry.name) || IsRunningProgram(dir + entry.name))
      return true;
  return false;
}

Lines AsUsualPaths(const Lines& paths) {
  Lines usual;
  for (const std::string& path : paths) usual.push_back(UsualPath(path));
  return usual;
}

}  // namespace

Lines RemoveClientFiles(const std::string& folder) {
  const std::string dir = ExtendedFolderPath(folder);
  if (dir.empty() || !DirectoryExists(dir)) return Lines();
  DeleteFilesOf(dir, IsUserDatabaseFile);
  return AsUsualPaths(FilesLeftIn(dir, IsUserDatabaseFile));
}

Lines RemoveMixmasterFiles(const std::string& folder) {
  const std::string dir = ExtendedFolderPath(folder);
  if (dir.empty() || !DirectoryExists(dir)) return Lines();
  DeleteFilesOf(dir, IsKeptByMixmaster);
  Lines poolLeft;
  for (const NamedEntry& entry : ListFolderAsNamed(dir))
    if (IsPool(entry)) DeleteTree(dir + entry.name, IsKeptByMixmaster, &poolLeft);
  // Fails while anything is left in it.
  RemoveDir(StripBackslash(dir));
  Lines left = FilesLeftIn(dir, IsKeptByMixmaster);
  left.insert(left.end(), poolLeft.begin(), poolLeft.end());
  if (left.empty() && DirectoryExists(dir) && !HoldsWhatStays(dir))
    left.push_back(StripBackslash(dir));
  return AsUsualPaths(left);
}
