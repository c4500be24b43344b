// Folders the shell knows by name: the user's Start-menu programs, profile,
// desktop and documents, and the system's own folders.
#pragma once
#include <string>

enum class KnownFolder { Programs, Profile, Desktop, Documents, Windows, System, ProgramFiles };

// The folder as the shell reports it, without a trailing backslash; empty
// when the shell has none.
std::string KnownFolderPath(KnownFolder folder);

// The user's own programs folder (%LOCALAPPDATA%\Programs), where a standard
// user installs without elevation; empty when the shell knows no local
// application data folder.
std::string UserProgramsFolder();
