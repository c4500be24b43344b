// The install record on the disk: read from a destination, and the files it
// names checked against it.
#pragma once
#include <string>

#include "common/install_record.h"

enum class RecordFound {
  None,  // no record there: an installation made before setup wrote one
  Sound,
  Unreadable,  // there, but too long, unreadable or damaged
};

// The record in folder; reason, when given, says what is wrong with an
// unreadable one.
RecordFound ReadInstallRecordIn(const std::string& folder, InstallRecord* record,
                                std::string* reason = nullptr);

// The size and SHA-256 of the file at path, under name; false when it cannot
// be read.
bool DescribeFile(const std::string& path, const std::string& name, RecordedFile* file);

// Whether the file at path still holds the recorded bytes.
bool MatchesRecord(const std::string& path, const RecordedFile& recorded);
