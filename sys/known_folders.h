// Folders the shell knows by name: the user's Start-menu programs, profile,
// desktop and documents, the system's own folders, and the other places that
// hold the user's or the system's data.
#pragma once
#include <string>
#include <vector>

enum class KnownFolder {
  Programs, Profile, Desktop, Documents, Windows, System, ProgramFiles,
  Downloads, Pictures, Music, Videos, AppData, LocalAppData, Favorites,
  StartMenu, Startup, CommonDesktop, CommonDocuments, CommonStartMenu, CommonPrograms,
  CommonStartup, ProgramData, Users, Public, ProgramFilesX86, ProgramFilesNative,
  CommonFiles, SystemX86, Fonts, Templates, SendTo, Recent, AdminTools, CommonAdminTools,
};

// The folder as the shell reports it, without a trailing backslash; empty
// when the shell has none.
std::string KnownFolderPath(KnownFolder folder);

// The user's own programs folder (%LOCALAPPDATA%\Programs), where a standard
// user installs without elevation; empty when the shell knows no local
// application data folder.
std::string UserProgramsFolder();

// Every folder the shell's known-folder manager lists, for this user and for
// the default user profile (a folder of all users is one of the list's own),
// each once, without a trailing backslash; whether it exists or not. Folders
// without a place in the file system (Control Panel, the network) are left
// out. Empty when the manager cannot be reached.
std::vector<std::string> EveryKnownFolderPath();
