// Starting other programs.
#pragma once
#include <cstdint>
#include <string>

#include "sys/handle.h"

// Starts commandLine (no handles inherited, this process's environment and
// current folder) with its window shown as showMode (1 normal, 5 show) and
// returns at once with the owner of the new process's handle, or an empty
// owner when the process could not be started. Dropping the owner does not end
// the process.
UniqueHandle RunProgram(const std::string& commandLine, uint16_t showMode);

// RunProgram, then waits for the process in 100 ms steps, processing pending
// window messages between them. Returns the last wait result: 0 once the
// process has ended, WAIT_FAILED at once when it could not be started.
uint32_t RunAndWait(const std::string& commandLine, uint16_t showMode);

// Opens folder in an Explorer window (RunProgram of "explorer.exe " + folder).
UniqueHandle OpenFolderWindow(const std::string& folder);
