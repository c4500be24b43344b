// The files steps of the removal, on one folder each. Both work through the
// folder's "\\?\" form and delete each file by the exact name the listing
// gave, so a file named "cv.dbc." is never taken for CV.dbc, and neither
// deletes an entry that leads elsewhere (a link): only what lies in the
// folder. Each returns, as full paths, what it meant to remove and left
// behind, and what it found that is not the product's and keeps; nothing when
// the folder is missing.
#pragma once
#include <string>

#include "common/install_record.h"
#include "sys/lines.h"

struct FilesOutcome {
  Lines left;  // meant to go, and still there, or not to be looked at now
  Lines kept;  // not the product's: they stay (subfolders end in "\")
};

// Deletes the files of the client's folder that setup installed
// (removal/setup_files.h): record is its install record, nullptr without
// one. The user's database files stay and are not counted; the uninstaller
// and the record stay for the last step. Subfolders and the folder stay.
FilesOutcome RemoveClientFiles(const std::string& folder, const InstallRecord* record);

// Deletes every plain file of Mixmaster's folder and its "pool" subfolder with
// all it holds, then the folder itself when nothing else is left in it. The
// client's database files and keep marker stay wherever they are, and so do
// the folders holding them: the client may share the folder. A link is
// removed as a link where the system marks it as one, else left.
FilesOutcome RemoveMixmasterFiles(const std::string& folder);

// What the steps would delete now, as folder + name: for the check that no
// running program holds them.
Lines ClientFilesToDelete(const std::string& folder, const InstallRecord* record);
Lines MixmasterFilesToDelete(const std::string& folder);
