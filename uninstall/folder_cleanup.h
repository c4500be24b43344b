// The files steps of the removal, on one folder each.
#pragma once
#include <string>

// Deletes the plain files of the client's folder except the user's database
// files (cv.dbc, cv.pgp, cv.pgp.bak in any letter case); subfolders and the
// folder stay. False when the folder is missing.
bool RemoveClientFiles(const std::string& folder);

// Deletes every plain file of Mixmaster's folder and its "pool" subfolder with
// all it holds, then the folder itself when nothing else is left in it.
// False when the folder is missing or something could not be removed.
bool RemoveMixmasterFiles(const std::string& folder);
