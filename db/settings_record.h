// The record of a database file that holds its named settings ("Version",
// "Cutmarks", ...), one "name=value" line each.
#pragma once
#include <string>

inline const std::string InitializationKey = "Initialization";
