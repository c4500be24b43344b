// Folders no files step may empty, whatever the registry says.
#pragma once
#include <string>

// A folder that holds far more than one program: a drive or share root, a
// folder of the user's or the system's data that the shell knows by name
// (profile, desktop, documents, downloads, Start menu, Program Files, Users,
// ProgramData, the Windows folder...) or any folder above one of them. They
// are recognised by what the path opens, whatever its spelling: "\\?\" and
// "\\.\" prefixes, short names, trailing dots and blanks, links and
// junctions. A relative folder is protected too: it would be read against
// whatever folder the uninstaller runs in. A folder that cannot be opened is
// not: there is nothing in it to remove.
bool IsProtectedFolder(const std::string& folder);
