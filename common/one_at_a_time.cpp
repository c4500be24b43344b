#include "common/one_at_a_time.h"

#include "common/constants.h"

const char kAnotherSetupRunningText[] = "Another Corvaline setup or uninstall is running.";

// Named after the user: other users of the machine install on their own.
SetupMutex::SetupMutex() : NamedMutex("Local\\" + ProductName + " Setup " + CurrentUserSid()) {}
