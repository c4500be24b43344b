#include <windows.h>

#include "sys/ansi.h"
#include "sys/extended_path.h"
#include "sys/files.h"
#include "sys/handle.h"
#include "sys/path.h"

namespace {
bool IsDotEntry(const char* name) {
  return (name[0] == '.' && name[1] == '\0') || (name[0] == '.' && name[1] == '.' && name[2] == '\0');
}

// Calls visit(name, attributes) for every entry matching mask except "." and
// "..", in search order. As with the toolkit's find-first, an entry is skipped
// when it carries a hidden, system, volume or folder bit attrMask lacks.
template <typename Visit>
void ForEachEntry(const std::string& mask, uint32_t attrMask, Visit visit) {
  const DWORD excluded = ~attrMask & (kHiddenAttr | kSystemAttr | kVolumeIdAttr | kDirectoryAttr);
  WIN32_FIND_DATAA data;
  FindHandle search(FindFirstFileA(mask.c_str(), &data));
  if (!search) return;
  do {
    if (IsDotEntry(data.cFileName) || (data.dwFileAttributes & excluded)) continue;
    visit(data.cFileName, data.dwFileAttributes);
  } while (FindNextFileA(search.Get(), &data));
}
}  // namespace

int ListFiles(Lines* list, const std::string& mask, uint32_t attrMask) {
  if (list) list->clear();
  const std::string folder = ExtractFilePath(mask);
  Lines found;
  ForEachEntry(mask, attrMask, [&](const char* name, DWORD) { found.push_back(folder + name); });
  if (list) *list = found;
  return static_cast<int>(found.size());
}

FolderEntries ListFolderEntries(const std::string& folder) {
  FolderEntries entries;
  for (const NamedEntry& entry : ListFolderAsNamed(folder)) {
    std::string path = AnsiLowerCase(folder + entry.name);
    if (entry.attributes == kDirectoryAttr)
      entries.subfolders.push_back(path);
    else
      entries.files.push_back(path);
  }
  return entries;
}

std::vector<NamedEntry> ListFolderAsNamed(const std::string& folder) {
  std::vector<NamedEntry> entries;
  ForEachEntry(folder + "*.*", kAnyFileAttr,
               [&](const char* name, DWORD attributes) { entries.push_back({name, attributes}); });
  return entries;
}

namespace {

enum class TreeOutcome { Gone, Kept, Left };

// dir ends in "\". Subfolders go first, then files, then dir itself.
TreeOutcome RemoveTree(const std::string& dir, bool (*keep)(const std::string&), Lines* left) {
  const std::vector<NamedEntry> entries = ListFolderAsNamed(dir);
  bool kept = false, leftSome = false;
  for (const NamedEntry& entry : entries) {
    if (entry.attributes != kDirectoryAttr) continue;
    const TreeOutcome sub = RemoveTree(dir + entry.name + "\\", keep, left);
    kept |= sub == TreeOutcome::Kept;
    leftSome |= sub == TreeOutcome::Left;
  }
  for (const NamedEntry& entry : entries) {
    if (entry.attributes == kDirectoryAttr) continue;
    if (keep && keep(entry.name)) {
      kept = true;
    } else if (!RemoveFile(dir + entry.name)) {
      left->push_back(dir + entry.name);
      leftSome = true;
    }
  }
  if (RemoveDir(StripBackslash(dir))) return TreeOutcome::Gone;
  if (leftSome) return TreeOutcome::Left;
  if (kept) return TreeOutcome::Kept;
  left->push_back(StripBackslash(dir));
  return TreeOutcome::Left;
}

}  // namespace

bool DeleteTree(const std::string& folder, bool (*keep)(const std::string& name), Lines* left) {
  const std::string dir = AddBackslash(folder);
  if (folder.empty() || !DirectoryExists(dir)) return false;
  return RemoveTree(dir, keep, left) == TreeOutcome::Gone;
}

bool DeleteTree(const std::string& folder) {
  Lines left;
  return DeleteTree(ExtendedFolderPath(folder), nullptr, &left);
}
