// The uninstaller cannot delete its own program while it runs. After a
// complete removal a copy of it, started from the temporary folder, waits
// for it to end and then deletes it, and the client's folder when nothing
// else is left in it.
#pragma once
#include <string>

// The private switch the copy is started with: "/_REMOVE=<handle> <file>".
extern const char kSelfRemovalSwitch[];

// Starts the copy for the running uninstaller at path; false when it could
// not be started (the file then stays, as it did before).
bool ScheduleSelfRemoval(const std::string& path);

// The copy's work, given the switch's value and the rest of the command
// line. It deletes nothing unless the handle is that of the process which
// started it and the file is an uninstaller of ours.
void FinishSelfRemoval(const std::string& handle, const std::string& path);
