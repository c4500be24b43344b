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

// Opens folder in an Explorer window (RunProgram of "explorer.exe " + folder)
// that shows without taking the foreground from front, the window the user
// is in: Explorer is asked not to activate its window, and should it take
// the foreground all the same (Wine's does) while it opens, front gets it
// back. Waits, handling messages, until the window shows (5 s at most) and
// half a second more.
UniqueHandle OpenFolderWindow(const std::string& folder, HWND front);

// Whether the process shows a top-level window now.
bool ShowsAWindow(uint32_t processId);

// The command line this program was started with, whole.
std::string ProgramCommandLine();

// CreateProcess of commandLine (UTF-8), with no application name, this
// process's environment and current folder; for the helpers that need their
// own start-up record or flags.
bool StartProcess(const std::string& commandLine, bool inheritHandles, uint32_t flags, STARTUPINFOW* startup,
                  PROCESS_INFORMATION* info);
