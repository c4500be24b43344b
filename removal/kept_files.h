// Files the removal never deletes: the user's database files
// (common/database_files.h) and the keep marker.
#pragma once
#include <string>

// The keep marker: while the client's folder holds it, the client stays.
extern const char kKeepMarker[];

// What Mixmaster's step leaves wherever it deletes: the database files and
// the keep marker, for the client may share Mixmaster's folder.
bool IsKeptByMixmaster(const std::string& name);
