// Both wizards ask the same when the running client holds files they must
// change: close it, then Retry.
#pragma once
#include <windows.h>

#include <string>

#include "sys/lines.h"

// Asks while any of files is held open; false when the user gave up (Cancel).
bool AskUntilClientCloses(HWND owner, const Lines& files);
// The same, asking with text.
bool AskUntilClosed(HWND owner, const Lines& files, const std::string& text);
