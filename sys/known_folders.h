// Folders the shell knows by name: the user's Start-menu programs, profile,
// desktop and documents, the system's own folders, and the other places that
// hold the user's or the system's data.
#pragma once
#include <string>

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
