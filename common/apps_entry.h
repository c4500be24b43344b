// The installation's entry in Settings > Apps (Programs and Features): what
// the shell shows and how it removes the program, with or without a window.
#pragma once
#include <string>

// The entry's key under the current user's hive.
std::string AppsEntryKey();

// Writes the entry for the client installed in folder; false when a value
// could not be written.
bool WriteAppsEntry(const std::string& folder, const std::string& version);
// Sets the entry's size to what folder's files take now.
void UpdateAppsEntrySize(const std::string& folder);
