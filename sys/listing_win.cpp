#include <windows.h>

#include "sys/ansi.h"
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
  ForEachEntry(folder + "*.*", kAnyFileAttr, [&](const char* name, DWORD attributes) {
    std::string path = AnsiLowerCase(folder + name);
    if (attributes == kDirectoryAttr)
      entries.subfolders.push_back(path);
    else
      entries.files.push_back(path);
  });
  return entries;
}

bool DeleteTree(const std::string& folder) {
  if (folder.empty() || !DirectoryExists(folder)) return false;
  const std::string dir = AddBackslash(folder);
  FolderEntries entries = ListFolderEntries(dir);
  // Results are not examined: whatever stays makes the final removal fail.
  for (const std::string& sub : entries.subfolders) DeleteTree(ShortPathName(sub));
  for (const std::string& file : entries.files) RemoveFile(file);
  return RemoveDir(dir);
}
