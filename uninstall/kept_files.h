// Files the removal never deletes. Names are compared as the system reads
// them: in any letter case, trailing dots and blanks dropped, so that "CV.dbc."
// left by a Linux tool is taken for the database it would open as.
#pragma once
#include <string>

// The keep marker: while the client's folder holds it, the client stays.
extern const char kKeepMarker[];

// The user's database files: cv.dbc, cv.pgp and cv.pgp.bak.
bool IsKeptDatabaseFile(const std::string& name);
// What Mixmaster's step leaves wherever it deletes: the database files and
// the keep marker, for the client may share Mixmaster's folder.
bool IsKeptByMixmaster(const std::string& name);
