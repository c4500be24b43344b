#include "sys/sleep.h"

#include <windows.h>

void SleepMs(unsigned milliseconds) { Sleep(milliseconds); }
