// A folder stored for the client ("AppDir", Mixmaster's "MixDir"): ANSI
// bytes, in its short (8.3) form when its real name does not fit the code
// page (install/client_folder.h).
#pragma once
#include <string>

#include "sys/registry.h"

// The value name of the open key in UTF-8, by the folder's real name where the
// folder is there; "" when it is missing or not a string.
std::string StoredFolder(const Registry& key, const std::string& name);
