// The files steps of the removal, on one folder each. Both work through the
// folder's "\\?\" form and delete each file by the exact name the listing
// gave, so a file named "cv.dbc." is never taken for CV.dbc. Each returns
// what it meant to remove and left behind, as full paths; nothing when the
// folder is missing. The running uninstaller's own file cannot go and is not
// counted.
#pragma once
#include <string>

#include "sys/lines.h"

// Deletes the plain files of the client's folder except the user's database
// files (cv.dbc, cv.pgp, cv.pgp.bak in any letter case); subfolders and the
// folder stay.
Lines RemoveClientFiles(const std::string& folder);

// Deletes every plain file of Mixmaster's folder and its "pool" subfolder with
// all it holds, then the folder itself when nothing else is left in it. The
// client's database files and keep marker stay wherever they are, and so do
// the folders holding them: the client may share the folder.
Lines RemoveMixmasterFiles(const std::string& folder);
