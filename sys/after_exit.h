// Work that must wait until this process has ended, such as deleting its own
// program file: a copy of the program does it, started with a handle to this
// process that it can wait on.
#pragma once
#include <string>

// Copies this program to a new file in the temporary folder and starts the
// copy with arguments, in which "%h" becomes the number of a handle to this
// process that the copy inherits. The copy's file goes by itself once the
// copy has ended. False when the copy could not be made or started.
bool StartCopyAfterExit(const std::string& arguments);

// In the copy: waits for the process behind handleNumber (the "%h" above) to
// end; false when it does not end within timeoutMs or the number is no handle.
bool WaitForStarter(const std::string& handleNumber, unsigned timeoutMs);
