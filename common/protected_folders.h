// Folders no files step may empty, whatever the registry says.
#pragma once
#include <string>

// A folder that holds far more than one program: a drive or share root, any
// folder the shell's known-folder manager lists for the user or the default
// profile (profile, desktop, documents, Links, Saved Games, the Start menu,
// Program Files, the Windows folder, the browser's caches...), the temporary
// folder, the user's own programs folder, or any folder above one of them. They
// are recognised by what the path opens, whatever its spelling: "\\?\" and
// "\\.\" prefixes, short names, trailing dots and blanks, links and
// junctions. A relative folder is protected too: it would be read against
// whatever folder the uninstaller runs in. A folder that cannot be opened is
// protected only where a known folder that is not there would be.
bool IsProtectedFolder(const std::string& folder);
