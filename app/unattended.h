// Setup and the uninstaller without a window or a message box, for package
// managers and deployment scripts (the /S switch). Message boxes the wizard
// would have shown become lines of the log (/LOG=file), each question taking
// the answer that changes nothing.
#pragma once
#include "app/role.h"
#include "app/switches.h"

// Exit codes of an unattended run.
enum UnattendedExit {
  kExitDone = 0,
  kExitRefused = 1,       // nothing changed: bad switches, nothing to do, a check failed
  kExitFailedPartWay = 2  // a step failed after others changed something; the log says what
};

int RunUnattended(Role role, const Switches& switches);
