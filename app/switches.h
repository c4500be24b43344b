// The switches of an unattended run, as package managers and deployment
// scripts pass them:
//   setup.exe /S [/ADDRESS=address] [/HOST=host] [/NOGROUP] [/ALLOWDOWNGRADE] [/LOG=file] [/D=folder]
//   UninstCV.exe /S [/LOG=file]        (or setup.exe -u /S [/LOG=file])
// Switch names are matched in any case. A value may be quoted as a whole
// ("/ADDRESS=Jane Doe <jane@example.org>") or after the "=". /D= takes the
// rest of the command line, blanks included, as the folder, up to a further
// switch: a blank, then "/" and a letter (a folder holding that is quoted).
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "app/role.h"

struct Switches {
  bool silent = false;  // /S: no window, no message box; an exit code instead
  bool noGroup = false;
  bool allowDowngrade = false;  // an older version may replace a newer one
  std::optional<std::string> address;
  std::optional<std::string> host;
  std::optional<std::string> folder;
  std::optional<std::string> log;
  // Arguments the role does not take, as given.
  std::vector<std::string> unknown;
};

// arguments: the command line after the program (and after "-u" for
// setup.exe -u).
Switches ParseSwitches(const std::string& arguments, Role role);

// The command line after its first count arguments, as typed.
std::string ArgumentsAfter(const std::string& commandLine, int count);
