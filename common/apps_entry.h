// The installation's entry in Settings > Apps (Programs and Features): what
// the shell shows and how it removes the program, with or without a window.
#pragma once
#include <cstdint>
#include <string>

#include "common/setting_values.h"

// The entry's key under the current user's hive.
std::string AppsEntryKey();

// The entry's values for the client installed in folder on installDate
// (yyyymmdd), whose files take bytes: text Windows reads, the folder's long
// name whatever its letters.
SettingValues AppsEntryValues(const std::string& folder, const std::string& version, uint64_t bytes,
                              const std::string& installDate);
// The entry's size value alone, for files that take bytes.
SettingValue AppsEntrySizeValue(uint64_t bytes);
