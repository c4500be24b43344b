// Setup and the uninstaller without a window, for package managers and
// deployment scripts (the /S switch): the engines alone, no display needed.
// What a wizard would have shown goes to the log (/LOG=file); the exit code
// says how it ended (common/exit_codes.h).
#pragma once
#include "app/role.h"
#include "app/switches.h"
#include "common/exit_codes.h"

// Setup and the uninstaller work in the profile of the user they run as: run
// as LocalSystem (a deployment service), both refuse with this text, exit 8.
extern const char kLocalSystemText[];

// damaged: the program is a one-file setup whose files are damaged.
ExitCode RunUnattended(Role role, const Switches& switches, bool damaged);
