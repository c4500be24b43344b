// The uninstaller cannot delete its own program while it runs. Before it
// ends, still holding the one-at-a-time mutex, it moves the program out of
// the client's folder into the temporary folder; a copy of it, started from
// there, waits for it to end and deletes the moved file through a handle.
// Nothing is deleted by name once the uninstaller has ended: a new
// installation may have taken the name meanwhile.
#pragma once
#include <string>

// The private switch the copy is started with: "/_REMOVE=<handle> <handle>".
extern const char kSelfRemovalSwitch[];

// Moves the running uninstaller at path out of its folder and starts the copy
// that deletes it once this process has ended (or, failing that, the next
// restart does). False when it could not be moved: the copy then deletes it
// where it is.
bool RemoveSelf(const std::string& path);

// The copy's work, given the switch's value (this process's starter) and the
// next argument (the moved file).
void FinishSelfRemoval(const std::string& starter, const std::string& file);
