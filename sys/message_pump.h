// Keeps the GUI thread's windows alive during long work on that thread.
#pragma once
#include <windows.h>

// Translates and dispatches every window message pending for this thread,
// then returns; never waits. A WM_QUIT found on the way is posted again so the
// main loop still sees it.
void ProcessMessages();

// A filter that may handle a message before it is dispatched (the window
// toolkit's keyboard navigation); true when it handled the message.
using MessageFilter = bool (*)(MSG& msg);
void SetMessageFilter(MessageFilter filter);
