// Setup and the uninstaller run one at a time for a user: each holds this
// mutex for its whole life, and a second copy is turned away.
#pragma once
#include <string>

#include "sys/named_mutex.h"

extern const char kAnotherSetupRunningText[];

class SetupMutex : public NamedMutex {
 public:
  SetupMutex();
};
