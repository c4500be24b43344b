// Which files of the client's folder are setup's to remove: the install record
// and the files it names that still hold the bytes it records; for an
// installation made before setup kept a record, the files an earlier setup
// placed, by name. A link is never one of them: what it leads to is not
// setup's.
#pragma once
#include <string>

#include "common/install_record.h"
#include "sys/files.h"

enum class Owner {
  Setup,
  User,
  Unknown,  // it cannot be looked at now (another program holds it)
};

// entry lies in dir ("\\?\" form ending in "\"), whose PlaceOf is dirPlace.
// record: nullptr for an installation without one.
Owner OwnerOf(const std::string& dir, const std::string& dirPlace, const NamedEntry& entry,
              const InstallRecord* record);

// The uninstaller and the record: they go last, and only with the entry in
// Settings > Apps, so that an unfinished removal can always be finished.
bool GoesLast(const std::string& name);
