// The toolkit's DDE client conversation is the system helpers' own.
#pragma once
#include "sys/dde_client.h"

namespace ui {
using ::DdeClient;
}  // namespace ui
