#include "common/protected_folders.h"

#include <set>

#include "sys/extended_path.h"
#include "sys/file_identity.h"
#include "sys/known_folders.h"
#include "sys/path.h"
#include "sys/utf8_case.h"

namespace {

const KnownFolder kDataFolders[] = {
    KnownFolder::Windows,         KnownFolder::System,          KnownFolder::SystemX86,
    KnownFolder::Fonts,           KnownFolder::Profile,         KnownFolder::Users,
    KnownFolder::Public,          KnownFolder::Desktop,         KnownFolder::Documents,
    KnownFolder::Downloads,       KnownFolder::Pictures,        KnownFolder::Music,
    KnownFolder::Videos,          KnownFolder::AppData,         KnownFolder::LocalAppData,
    KnownFolder::Favorites,       KnownFolder::Templates,       KnownFolder::SendTo,
    KnownFolder::Recent,          KnownFolder::StartMenu,       KnownFolder::Programs,
    KnownFolder::Startup,         KnownFolder::CommonDesktop,   KnownFolder::CommonDocuments,
    KnownFolder::CommonStartMenu, KnownFolder::CommonPrograms,  KnownFolder::CommonStartup,
    KnownFolder::ProgramData,     KnownFolder::ProgramFiles,    KnownFolder::ProgramFilesX86,
    KnownFolder::ProgramFilesNative, KnownFolder::CommonFiles,     KnownFolder::AdminTools,
    KnownFolder::CommonAdminTools,
};

using Identities = std::set<FileIdentity>;

struct ProtectedSet {
  Identities identities;
  std::set<std::string> walked;  // folders whose ancestors are in already
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

// Each known folder is followed both up the path the shell gives and up the
// path it leads to: a known folder may be a link itself (Wine's Desktop leads
// into the Linux home), and whatever holds its target holds it too.
Identities ProtectedIdentities() {
  ProtectedSet set;
  for (KnownFolder known : kDataFolders) {
    const std::string path = ExtendedFolderPath(KnownFolderPath(known));
    if (path.empty()) continue;
    AddWithAncestors(path, &set);
    FileIdentity identity;
    std::string target;
    if (IdentifyPath(Openable(path), &identity, &target)) AddWithAncestors(target, &set);
  }
  return set.identities;
}

}  // namespace

bool IsProtectedFolder(const std::string& folder) {
  if (!folder.empty() && !IsAbsolutePath(folder)) return true;
  const std::string path = ExtendedFolderPath(folder);
  if (path.empty()) return false;
  // A root is protected even when it cannot be reached now.
  if (IsExtendedRoot(path)) return true;
  FileIdentity identity;
  std::string target;
  if (!IdentifyPath(Openable(path), &identity, &target)) return false;
  return IsExtendedRoot(target) || ProtectedIdentities().count(identity) > 0;
}
