// Which wizard the program runs: the role follows its own file name and its
// first argument.
#pragma once
#include <string>

enum class Role { Setup, Uninstall };

// Setup when the file-name part of moduleFileName, lower-cased, is exactly
// "setup.exe" and firstArgument, lower-cased, is not "-u"; else Uninstall.
// A program that carries its files (the one-file setup, whatever a browser
// named it) is setup under any name but the uninstaller's own.
Role SelectRole(const std::string& moduleFileName, const std::string& firstArgument,
                bool carriesPayload = false);

// How many leading arguments of the command line choose the role: the
// program itself, and "-u" after a setup program.
int RoleArgumentCount(const std::string& moduleFileName, const std::string& firstArgument,
                      bool carriesPayload = false);

// Argument index of a command line (0 is the program): blank-separated, double
// quotes group and are removed; a missing argument is the empty string.
std::string CommandLineArgument(const std::string& commandLine, int index);
