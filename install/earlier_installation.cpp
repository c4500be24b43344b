#include "install/earlier_installation.h"

#include "common/constants.h"
#include "common/stored_folder.h"
#include "db/FileMan1.h"
#include "msg/header_manager.h"
#include "sys/code_page.h"
#include "sys/exception.h"
#include "sys/file_access.h"
#include "sys/files.h"
#include "sys/known_folders.h"
#include "sys/path.h"
#include "sys/registry.h"

const char kDefaultDestination[] = "C:\\Program Files\\Corvaline";

EarlierInstallation ReadEarlierInstallation() {
  EarlierInstallation earlier;
  Registry registry;
  if (registry.OpenKeyReadOnly(ProductRegistryKey)) {
    earlier.found = true;
    earlier.group = !registry.ReadStringOrEmpty("Program Group").empty();
    earlier.folder = StoredFolder(registry, "AppDir");
    earlier.version = Utf8FromAnsi(registry.ReadStringOrEmpty("Version"));
    registry.CloseKey();
  }
  if (registry.OpenKeyReadOnly(MixRegistryKey)) {
    earlier.mixFolder = StoredFolder(registry, "MixDir");
    registry.CloseKey();
  }
  return earlier;
}

std::string ClientDatabaseIn(const std::string& folder) {
  return AddBackslash(folder) + ChangeFileExt(ClientExeFile, DatabaseExt);
}

std::string ClientProgramIn(const std::string& folder) { return AddBackslash(folder) + ClientExeFile; }

StoredAddress ReadStoredAddress(const std::string& folder) {
  StoredAddress stored;
  if (folder.empty()) return stored;
  const std::string database = ClientDatabaseIn(folder);
  // A running client holds it: nothing to wait for, the plan will say so.
  if (!FileExists(database) || FileInUse(database)) return stored;
  Lines message;
  THeaderManager header(&message);
  try {
    GetRecordStrings(message, DefaultMessageKey, database);
  } catch (const EFOpenError&) {
    return stored;  // unreadable: nothing known, and the file stays as it is
  }
  stored.address = Utf8FromAnsi(header.GetHeaderValue("From: "));
  stored.host = Utf8FromAnsi(header.GetHeaderValue("Host: "));
  return stored;
}

std::string UserProgramsDestination() {
  const std::string programs = UserProgramsFolder();
  return programs.empty() ? std::string() : AddBackslash(programs) + ProductName;
}

std::string ProposedDestination() {
  if (!LacksRightsFor(kDefaultDestination)) return kDefaultDestination;
  const std::string own = UserProgramsDestination();
  return own.empty() ? std::string(kDefaultDestination) : own;
}
