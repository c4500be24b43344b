// Setup and the uninstaller without a window, for package managers and
// deployment scripts (the /S switch): the engines alone, no display needed.
// What a wizard would have shown goes to the log (/LOG=file); the exit code
// says how it ended (common/exit_codes.h).
#pragma once
#include "app/role.h"
#include "app/switches.h"
#include "common/exit_codes.h"

// damaged: the program is a one-file setup whose files are damaged.
ExitCode RunUnattended(Role role, const Switches& switches, bool damaged);
