// The exit code that tells a caller why an install did not go ahead.
#pragma once
#include "common/exit_codes.h"
#include "install/install.h"

ExitCode ExitCodeFor(PlanProblem problem);
ExitCode ExitCodeFor(InstallResult result);
// A roll-back after a file of the distribution turned out damaged says so.
ExitCode ExitCodeFor(const InstallOutcome& outcome);
