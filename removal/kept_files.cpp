#include "removal/kept_files.h"

#include "common/database_files.h"

const char kKeepMarker[] = "uncv.dsk";

bool IsKeptByMixmaster(const std::string& name) {
  return IsUserDatabaseFile(name) || NameAsTheSystemReadsIt(name) == kKeepMarker;
}
