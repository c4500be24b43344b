// Shell shortcut (.LNK) files.
#pragma once
#include <cstdint>
#include <string>

// Saves a shortcut at linkFile pointing to target, with the description, the
// icon at index 0 of iconFile, the working folder set to target's folder part
// in lower case (ending in "\"), and the arguments only when they are not
// empty. An existing linkFile is replaced. Returns the COM status: 0 on
// success, negative on failure (then no file is left behind).
int32_t CreateShortcut(const std::string& target, const std::string& linkFile,
                       const std::string& iconFile, const std::string& description,
                       const std::string& arguments);

// The target a shortcut file starts, as it is stored in it; empty when the
// file cannot be read as a shortcut. Nothing is resolved or searched for.
std::string ShortcutTarget(const std::string& linkFile);
