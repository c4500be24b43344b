// A running client holds its program and database files open: nothing may
// replace or delete them until it is closed.
#pragma once
#include "sys/lines.h"

extern const char kClientRunningText[];  // asks the user to close it, then Retry

// Those of paths that another program holds open.
Lines HeldFiles(const Lines& paths);
