// What the registry says is installed, and what removing it would touch.
#include "common/constants.h"
#include "common/database_files.h"
#include "common/running_client.h"
#include "common/stored_folder.h"
#include "removal/kept_files.h"
#include "removal/removal.h"
#include "sys/code_page.h"
#include "sys/file_identity.h"
#include "sys/files.h"
#include "sys/module_path.h"
#include "sys/path.h"
#include "sys/registry.h"
#include "sys/utf8_case.h"

namespace {

std::string Comparable(bool installed, const std::string& folder) {
  return installed && !folder.empty() ? Utf8LowerCase(ShortPathName(folder)) : std::string();
}

// The plain files of folder that a files step would delete; the running
// uninstaller is not counted, it goes by itself.
Lines FilesToDelete(const std::string& folder, bool (*keep)(const std::string&)) {
  Lines files;
  if (folder.empty()) return files;
  for (const std::string& file : ListFolderEntries(AddBackslash(folder)).files)
    if (!keep(ExtractFileName(file)) && !SamePath(file, ModuleFileName())) files.push_back(file);
  return files;
}

}  // namespace

InstalledProducts ReadInstalledProducts() {
  InstalledProducts p;
  Registry registry;
  if (registry.OpenKeyReadOnly(MixRegistryKey)) {
    p.mix = true;
    p.mixDir = AddBackslash(StoredFolder(registry, "MixDir"));
    registry.CloseKey();
  }
  if (registry.OpenKeyReadOnly(ProductRegistryKey)) {
    p.app = true;
    p.appDir = AddBackslash(StoredFolder(registry, "AppDir"));
    p.programGroup = Utf8FromAnsi(registry.ReadStringOrEmpty("Program Group"));
    p.appVersion = Utf8FromAnsi(registry.ReadStringOrEmpty("Version"));
    registry.CloseKey();
  }
  p.keepClient = p.app && FileExists(p.appDir + kKeepMarker);
  return p;
}

FolderRelations RelationsOf(const InstalledProducts& p) {
  const std::string a = Comparable(p.app, p.appDir), m = Comparable(p.mix, p.mixDir);
  FolderRelations r;
  if (a.empty() || m.empty()) return r;
  r.mixInsideApp = m.size() > a.size() && m.compare(0, a.size(), a) == 0;
  r.appInsideMix = a.size() > m.size() && a.compare(0, m.size(), m) == 0;
  r.same = a == m;
  r.separate = !r.mixInsideApp && !r.appInsideMix && !r.same;
  return r;
}

RemovalChoices OpeningChoices(const InstalledProducts& p) {
  RemovalChoices c;
  // Removing Mixmaster's folder removes a client inside it, kept or not.
  c.app = (p.app && !p.keepClient) || (p.mix && RelationsOf(p).appInsideMix);
  c.mix = p.mix;
  return c;
}

Lines HeldByRunningClient(const InstalledProducts& p, const RemovalChoices& c) {
  Lines candidates;
  if (c.app) {
    candidates = FilesToDelete(p.appDir, IsUserDatabaseFile);
    candidates.push_back(p.appDir + ChangeFileExt(ClientExeFile, DatabaseExt));
  }
  if (c.mix)
    for (const std::string& file : FilesToDelete(p.mixDir, IsKeptByMixmaster)) candidates.push_back(file);
  return HeldFiles(candidates);
}
