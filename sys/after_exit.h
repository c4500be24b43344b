// Work that must wait until this process has ended, such as deleting its own
// program file: a copy of the program does it, started with a handle to this
// process that it can wait on.
#pragma once
#include <string>

// Moves the running program's file (program) to a new name in the temporary
// folder: a running program's file may be renamed on its volume, not deleted.
// The moved file is also marked for deletion at the next restart, where the
// system lets this user do so. Returns where it went; empty when it could not
// be moved, and then it stays where it was.
std::string MoveProgramToTemp(const std::string& program);

// Copies this program (its file at program: where the system started it, or
// where it has moved since) to a new file in the temporary folder and starts
// the copy with arguments, in which "%h" becomes the number of a handle to
// this process that the copy inherits, and "%f" that of a handle to
// heldFile, opened so that the copy may delete it. Open heldFile under the
// name it keeps: Wine deletes a file through a handle by the name it was
// opened under. The copy's file goes by itself once the copy has ended.
// False when the copy could not be made or started.
bool StartCopyAfterExit(const std::string& program, const std::string& arguments,
                        const std::string& heldFile = std::string());

// In the copy: waits for the process behind handleNumber (the "%h" above) to
// end; false when it does not end within timeoutMs or the number is no handle.
bool WaitForStarter(const std::string& handleNumber, unsigned timeoutMs);

// In the copy: deletes the file behind handleNumber (the "%f" above) through
// that handle, so that whatever has taken its name meanwhile stays. False when
// the number is no handle or the file would not go within timeoutMs.
bool DeleteHeldFile(const std::string& handleNumber, unsigned timeoutMs);
