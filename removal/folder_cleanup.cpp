#include "removal/folder_cleanup.h"

#include <algorithm>

#include "common/database_files.h"
#include "removal/kept_files.h"
#include "removal/setup_files.h"
#include "sys/extended_path.h"
#include "sys/file_identity.h"
#include "sys/files.h"
#include "sys/module_path.h"
#include "sys/path.h"
#include "sys/utf8_case.h"

namespace {

// Neither step deletes a folder as if it were a file: a hidden folder or a
// link to one carries the folder bit with others.
bool IsFolder(const NamedEntry& entry) { return (entry.attributes & kDirectoryAttr) != 0; }

bool IsPool(const NamedEntry& entry) {
  return entry.attributes == kDirectoryAttr && Utf8SameText(entry.name, "pool");
}

// The uninstaller running from the folder cannot delete itself: it stays, as
// the user expects, and is no failure.
bool IsRunningProgram(const std::string& path) { return SamePath(path, ModuleFileName()); }

// dir: "\\?\" form ending in "\". Where the folder really is, links followed:
// an entry whose final path lies elsewhere is a link.
std::string FolderPlace(const std::string& dir) { return PlaceOf(StripBackslash(dir)); }

// What a listing that could not be read to its end leaves: the folder, as a
// whole, since nothing says its files are gone.
void AddUnread(const std::string& dir, bool complete, Lines* left) {
  if (!complete && DirectoryExists(dir)) left->push_back(StripBackslash(dir));
}

FilesOutcome AsUsualPaths(FilesOutcome outcome) {
  for (Lines* lines : {&outcome.left, &outcome.kept}) {
    // Sorted, so that the log lists them alike on every file system.
    std::sort(lines->begin(), lines->end());
    for (std::string& path : *lines) path = UsualPath(path);
  }
  return outcome;
}

// Whose the entry is, for the client's step: the database, what goes last
// and the running uninstaller are none of its business.
enum class Verdict { Skip, Remove, Unknown, Keep };
Verdict ClientVerdict(const std::string& dir, const std::string& inside, const NamedEntry& entry,
                      const InstallRecord* record) {
  if (IsUserDatabaseFile(entry.name) || IsRunningProgram(dir + entry.name)) return Verdict::Skip;
  const Owner owner = OwnerOf(dir, inside, entry, record);
  if (GoesLast(entry.name) && owner != Owner::User) return Verdict::Skip;
  return owner == Owner::Setup     ? Verdict::Remove
         : owner == Owner::Unknown ? Verdict::Unknown
                                   : Verdict::Keep;
}

// Mixmaster's: every file but the client's kept ones.
bool IsMixmastersFile(const NamedEntry& entry) {
  return !IsFolder(entry) && !IsKeptByMixmaster(entry.name);
}

// The pool's files, through plain folders that lie where they are named.
void PoolFiles(const std::string& dir, Lines* files) {
  const std::string inside = FolderPlace(dir);
  for (const NamedEntry& entry : ListFolderAsNamed(dir)) {
    if (entry.attributes == kDirectoryAttr && LiesDirectlyIn(dir + entry.name, inside))
      PoolFiles(dir + entry.name + "\\", files);
    else if (IsMixmastersFile(entry))
      files->push_back(dir + entry.name);
  }
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

}  // namespace

FilesOutcome RemoveClientFiles(const std::string& folder, const InstallRecord* record) {
  FilesOutcome outcome;
  const std::string dir = ExtendedFolderPath(folder);
  if (dir.empty() || !DirectoryExists(dir)) return outcome;
  const std::string inside = FolderPlace(dir);
  for (const NamedEntry& entry : ListFolderAsNamed(dir))
    if (ClientVerdict(dir, inside, entry, record) == Verdict::Remove)
      DeleteInside(dir + entry.name, inside);
  bool complete = false;
  for (const NamedEntry& entry : ListFolderAsNamed(dir, &complete)) {
    const Verdict verdict = ClientVerdict(dir, inside, entry, record);
    if (verdict == Verdict::Keep)
      outcome.kept.push_back(dir + entry.name + (IsFolder(entry) ? "\\" : ""));
    else if (verdict != Verdict::Skip)
      outcome.left.push_back(dir + entry.name);
  }
  AddUnread(dir, complete, &outcome.left);
  return AsUsualPaths(outcome);
}

FilesOutcome RemoveMixmasterFiles(const std::string& folder) {
  FilesOutcome outcome;
  const std::string dir = ExtendedFolderPath(folder);
  if (dir.empty() || !DirectoryExists(dir)) return outcome;
  const std::string inside = FolderPlace(dir);
  for (const NamedEntry& entry : ListFolderAsNamed(dir)) {
    if (IsMixmastersFile(entry))
      DeleteInside(dir + entry.name, inside);
    else if (IsPool(entry) && LiesDirectlyIn(dir + entry.name, inside))
      DeleteTree(dir + entry.name, IsKeptByMixmaster, &outcome.left);
  }
  // Fails while anything is left in it.
  RemoveDir(StripBackslash(dir));
  bool complete = false;
  for (const NamedEntry& entry : ListFolderAsNamed(dir, &complete))
    if (!IsFolder(entry) && !IsKeptByMixmaster(entry.name) && !IsRunningProgram(dir + entry.name))
      outcome.left.push_back(dir + entry.name);
  AddUnread(dir, complete, &outcome.left);
  if (outcome.left.empty() && DirectoryExists(dir) && !HoldsWhatStays(dir))
    outcome.left.push_back(StripBackslash(dir));
  return AsUsualPaths(outcome);
}

Lines ClientFilesToDelete(const std::string& folder, const InstallRecord* record) {
  Lines files;
  const std::string dir = ExtendedFolderPath(folder);
  if (dir.empty()) return files;
  const std::string inside = FolderPlace(dir);
  for (const NamedEntry& entry : ListFolderAsNamed(dir)) {
    const Verdict verdict = ClientVerdict(dir, inside, entry, record);
    if (verdict == Verdict::Remove || verdict == Verdict::Unknown)
      files.push_back(AddBackslash(folder) + entry.name);
  }
  return files;
}

Lines MixmasterFilesToDelete(const std::string& folder) {
  Lines files;
  const std::string dir = ExtendedFolderPath(folder);
  if (dir.empty()) return files;
  const std::string inside = FolderPlace(dir);
  for (const NamedEntry& entry : ListFolderAsNamed(dir)) {
    if (IsMixmastersFile(entry))
      files.push_back(dir + entry.name);
    else if (IsPool(entry) && LiesDirectlyIn(dir + entry.name, inside))
      PoolFiles(dir + entry.name + "\\", &files);
  }
  for (std::string& file : files) file = UsualPath(file);
  return files;
}
