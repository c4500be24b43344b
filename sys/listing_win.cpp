#include <windows.h>

#include "sys/extended_path.h"
#include "sys/file_identity.h"
#include "sys/files.h"
#include "sys/handle.h"
#include "sys/path.h"
#include "sys/utf8_case.h"
#include "sys/wide.h"

namespace {
bool IsDotEntry(const wchar_t* name) {
  return (name[0] == '.' && name[1] == '\0') || (name[0] == '.' && name[1] == '.' && name[2] == '\0');
}

// Calls visit(name, attributes) for every entry matching mask except "." and
// "..", in search order. As with the toolkit's find-first, an entry is skipped
// when it carries a hidden, system, volume or folder bit attrMask lacks.
// False when the search failed or stopped short: the list is not the folder's.
template <typename Visit>
bool ForEachEntry(const std::string& mask, uint32_t attrMask, Visit visit) {
  const DWORD excluded = ~attrMask & (kHiddenAttr | kSystemAttr | kVolumeIdAttr | kDirectoryAttr);
  WIN32_FIND_DATAW data;
  FindHandle search(FindFirstFileW(Widen(mask).c_str(), &data));
  if (!search) return GetLastError() == ERROR_FILE_NOT_FOUND;
  do {
    if (IsDotEntry(data.cFileName) || (data.dwFileAttributes & excluded)) continue;
    visit(Narrow(data.cFileName), data.dwFileAttributes);
  } while (FindNextFileW(search.Get(), &data));
  return GetLastError() == ERROR_NO_MORE_FILES;
}
}  // namespace

int ListFiles(Lines* list, const std::string& mask, uint32_t attrMask) {
  if (list) list->clear();
  const std::string folder = ExtractFilePath(mask);
  Lines found;
  ForEachEntry(mask, attrMask, [&](const std::string& name, DWORD) { found.push_back(folder + name); });
  if (list) *list = found;
  return static_cast<int>(found.size());
}

FolderEntries ListFolderEntries(const std::string& folder) {
  FolderEntries entries;
  for (const NamedEntry& entry : ListFolderAsNamed(folder)) {
    std::string path = Utf8LowerCase(folder + entry.name);
    if (entry.attributes == kDirectoryAttr)
      entries.subfolders.push_back(path);
    else
      entries.files.push_back(path);
  }
  return entries;
}

std::vector<NamedEntry> ListFolderAsNamed(const std::string& folder, bool* complete) {
  std::vector<NamedEntry> entries;
  const bool all = ForEachEntry(folder + "*.*", kAnyFileAttr, [&](const std::string& name, DWORD attributes) {
    entries.push_back({name, attributes});
  });
  if (complete) *complete = all;
  return entries;
}

namespace {

enum class TreeOutcome { Gone, Kept, Left };

// dir ends in "\". Subfolders go first, then the other entries, then dir
// itself. Only plain folders that lie where they are named are entered; every
// other entry goes only through DeleteInside, so a link goes as a link or
// stays, and what it leads to is never touched.
TreeOutcome RemoveTree(const std::string& dir, bool (*keep)(const std::string&), Lines* left) {
  const std::vector<NamedEntry> entries = ListFolderAsNamed(dir);
  const std::string inside = PlaceOf(StripBackslash(dir));
  bool kept = false, leftSome = false;
  std::vector<bool> walked(entries.size(), false);
  for (size_t i = 0; i < entries.size(); ++i) {
    const NamedEntry& entry = entries[i];
    if (entry.attributes != kDirectoryAttr || !LiesDirectlyIn(dir + entry.name, inside)) continue;
    walked[i] = true;
    const TreeOutcome sub = RemoveTree(dir + entry.name + "\\", keep, left);
    kept |= sub == TreeOutcome::Kept;
    leftSome |= sub == TreeOutcome::Left;
  }
  for (size_t i = 0; i < entries.size(); ++i) {
    const NamedEntry& entry = entries[i];
    if (walked[i]) continue;
    if (keep && keep(entry.name)) {
      kept = true;
    } else if (!DeleteInside(dir + entry.name, inside)) {
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
