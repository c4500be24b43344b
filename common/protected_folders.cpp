#include "common/protected_folders.h"

#include <set>

#include "sys/extended_path.h"
#include "sys/file_identity.h"
#include "sys/files.h"
#include "sys/known_folders.h"
#include "sys/lines.h"
#include "sys/path.h"
#include "sys/utf8_case.h"

namespace {

using Identities = std::set<FileIdentity>;

struct ProtectedSet {
  Identities identities;
  std::set<std::string> walked;  // folders whose ancestors are in already
  // Known folders that are not there (yet), as lower-case "\\?\" paths
  // without a trailing backslash: a folder made there would be the known one.
  std::set<std::string> missing;
};

// A folder opens without its trailing backslash, a root only with it.
std::string Openable(const std::string& folder) {
  return IsExtendedRoot(folder) ? AddBackslash(folder) : StripBackslash(folder);
}

// The folder ("\\?\" form) and every folder above it, as far as they open.
// Known folders share their parents: each is opened once.
void AddWithAncestors(std::string folder, ProtectedSet* set) {
  for (; !folder.empty() && set->walked.insert(Utf8LowerCase(Openable(folder))).second;
       folder = ExtendedParent(folder)) {
    FileIdentity identity;
    if (IdentifyPath(Openable(folder), &identity)) set->identities.insert(identity);
  }
}

std::string Comparable(const std::string& extended) {
  return Utf8LowerCase(StripBackslash(extended));
}

// Every folder the shell knows, and those a program must not take over though
// the shell does not list them: the temporary folder, the user's own programs
// folder, the native Program Files of a 64-bit Windows.
Lines ProtectedPaths() {
  Lines paths = EveryKnownFolderPath();
  for (const std::string& path :
       {TempDir(), UserProgramsFolder(), KnownFolderPath(KnownFolder::ProgramFilesNative)})
    paths.push_back(path);
  return paths;
}

// Each known folder is followed both up the path the shell gives and up the
// path it leads to: a known folder may be a link itself (Wine's Desktop leads
// into the Linux home), and whatever holds its target holds it too.
ProtectedSet ProtectedFolders() {
  ProtectedSet set;
  for (const std::string& known : ProtectedPaths()) {
    const std::string path = ExtendedFolderPath(known);
    if (path.empty()) continue;
    AddWithAncestors(path, &set);
    FileIdentity identity;
    std::string target;
    if (IdentifyPath(Openable(path), &identity, &target)) AddWithAncestors(target, &set);
    else
      set.missing.insert(Comparable(path));
  }
  return set;
}

// The shell's folders do not move while setup or the uninstaller runs: they
// are looked up once, not at every check (there are over a hundred).
const ProtectedSet& KnownProtectedFolders() {
  static const ProtectedSet set = ProtectedFolders();
  return set;
}

// folder: "\\?\" form. It, or a folder it would hold, is a known folder that was
// not there when they were looked up.
bool WouldBeKnown(const std::string& folder, const std::set<std::string>& missing) {
  const std::string path = Comparable(folder);
  for (const std::string& known : missing)
    if (known.compare(0, path.size(), path) == 0 &&
        (known.size() == path.size() || known[path.size()] == '\\'))
      return true;
  return false;
}

}  // namespace

bool IsProtectedFolder(const std::string& folder) {
  if (!folder.empty() && !IsAbsolutePath(folder)) return true;
  const std::string path = ExtendedFolderPath(folder);
  if (path.empty()) return false;
  // A root is protected even when it cannot be reached now.
  if (IsExtendedRoot(path)) return true;
  const ProtectedSet& set = KnownProtectedFolders();
  if (WouldBeKnown(path, set.missing)) return true;
  FileIdentity identity;
  std::string target;
  if (!IdentifyPath(Openable(path), &identity, &target)) return false;
  // Made since, and named otherwise (its short form): known by where it leads.
  return IsExtendedRoot(target) || set.identities.count(identity) > 0 ||
         WouldBeKnown(target, set.missing);
}
