#include "uninstall/kept_files.h"

#include "app/constants.h"
#include "sys/ansi.h"
#include "sys/path.h"

const char kKeepMarker[] = "uncv.dsk";

namespace {

std::string AsTheSystemReadsIt(const std::string& name) {
  const size_t end = name.find_last_not_of(". ");
  return AnsiLowerCase(end == std::string::npos ? std::string() : name.substr(0, end + 1));
}

}  // namespace

bool IsKeptDatabaseFile(const std::string& name) {
  const std::string read = AsTheSystemReadsIt(name);
  const std::string base = ChangeFileExt(ClientExeFile, "");
  for (const std::string& ext : {DatabaseExt, EncryptedExt, EncryptedExt + BackupExt})
    if (read == AnsiLowerCase(base + ext)) return true;
  return false;
}

bool IsKeptByMixmaster(const std::string& name) {
  return IsKeptDatabaseFile(name) || AsTheSystemReadsIt(name) == kKeepMarker;
}
