// Keeps the GUI thread's windows alive during long work on that thread.
#pragma once

// Translates and dispatches every window message pending for this thread,
// then returns; never waits. A WM_QUIT found on the way is posted again so the
// main loop still sees it.
void ProcessMessages();
