// What the registry says is installed, and what removing it would touch.
#include "common/apps_entry.h"
#include "common/constants.h"
#include "common/database_files.h"
#include "common/running_client.h"
#include "common/stored_folder.h"
#include "removal/folder_cleanup.h"
#include "removal/kept_files.h"
#include "removal/removal.h"
#include "sys/code_page.h"
#include "sys/file_identity.h"
#include "sys/files.h"
#include "sys/module_path.h"
#include "sys/named_mutex.h"
#include "sys/path.h"
#include "sys/registry.h"
#include "sys/utf8_case.h"

namespace {

const char kMixmasterHeldText[] =
    "A program holds files of Mixmaster open. Close it, then click Retry.";

std::string Comparable(bool installed, const std::string& folder) {
  return installed && !folder.empty() ? Utf8LowerCase(ShortPathName(folder)) : std::string();
}

// A record is this installation's when it names this folder and this user.
void ReadRecord(InstalledProducts& p) {
  p.recordFound = ReadInstallRecordIn(p.appDir, &p.record, &p.recordProblem);
  if (p.recordFound != RecordFound::Sound) return;
  if (!SamePath(p.record.folder, StripBackslash(p.appDir)))
    p.recordProblem = "it records another folder, " + p.record.folder;
  else if (p.record.user != CurrentUserSid())
    p.recordProblem = "it is another user's";
  else
    return;
  p.recordFound = RecordFound::Unreadable;
  p.record = InstallRecord();
}

// With the client's key gone: the entry in Settings > Apps, or the record
// beside the running uninstaller, says where a removal was left unfinished.
void FindUnfinishedRemoval(InstalledProducts& p) {
  Registry registry;
  if (registry.OpenKeyReadOnly("\\" + AppsEntryKey())) {
    p.app = true;
    const std::string location = registry.ReadText("InstallLocation");
    p.appDir = location.empty() ? location : AddBackslash(location);
    p.appVersion = registry.ReadText("DisplayVersion");
    return;
  }
  const std::string self = ModuleFileName();
  const std::string own = ExtractFilePath(self);
  InstallRecord record;
  if (!Utf8SameText(ExtractFileName(self), UninstallerFile) ||
      ReadInstallRecordIn(own, &record) != RecordFound::Sound ||
      !SamePath(record.folder, StripBackslash(own)) || record.user != CurrentUserSid())
    return;
  p.app = true;
  p.appDir = own;
  p.appVersion = record.version;
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
    p.app = p.appKey = true;
    p.appDir = AddBackslash(StoredFolder(registry, "AppDir"));
    p.programGroup = Utf8FromAnsi(registry.ReadStringOrEmpty("Program Group"));
    p.appVersion = Utf8FromAnsi(registry.ReadStringOrEmpty("Version"));
    registry.CloseKey();
  } else {
    FindUnfinishedRemoval(p);
  }
  if (p.app && !p.appDir.empty()) ReadRecord(p);
  p.keepClient = p.appKey && FileExists(p.appDir + kKeepMarker);
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
  if (c.app && !p.appDir.empty()) {
    candidates =
        ClientFilesToDelete(p.appDir, p.recordFound == RecordFound::Sound ? &p.record : nullptr);
    candidates.push_back(p.appDir + ChangeFileExt(ClientExeFile, DatabaseExt));
  }
  if (c.mix && !p.mixDir.empty())
    for (const std::string& file : MixmasterFilesToDelete(p.mixDir)) candidates.push_back(file);
  return HeldFiles(candidates);
}

bool ClientFilesHeld(const InstalledProducts& p, const Lines& held) {
  for (const std::string& file : held)
    if (!p.appDir.empty() && Utf8SameText(ExtractFilePath(file), p.appDir)) return true;
  return false;
}

std::string HeldFilesText(const InstalledProducts& p, const Lines& held) {
  if (ClientFilesHeld(p, held)) return kClientRunningText;
  return held.empty() ? std::string() : kMixmasterHeldText;
}
