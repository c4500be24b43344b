// Runs a console program and collects what it writes to standard output and
// standard error (one pipe, in the order written) as lines, while the calling
// GUI thread keeps processing its window messages.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "sys/lines.h"

// Runs commandLine with its window shown as showMode. Output receives every
// line the program writes (LF ends a line; CR and zero bytes are dropped; text
// after the last LF comes as a last line once the program has ended) and the
// error lines ("CreatePipe Error: ", "CreateProcess Error: ", "WaitForSingle
// Error: ", "GetExitCode Error: " followed by the system's text).
// progressBar (a progress bar control, or nullptr) moves one step per 100 ms
// poll interval and wraps from above 100 to 20. When *abortFlag becomes true
// the run stops within about one poll interval, however much the program
// writes; the program is left running. One poll reads for at most that
// interval, so the caller's windows stay alive under any flood of output.
// Returns the exit code's low 16 bits in the high half and the last wait
// result's low 16 bits in the low half (0 ended, 258 still running, 0xFFFF the
// wait failed); 0 when the pipe or the process could not be created.
uint32_t RunConsole(const std::string& commandLine, Lines& output, uint16_t showMode,
                    HWND progressBar, const bool* abortFlag);

// One run of RunConsole.
class ConsoleRunner {
 public:
  ConsoleRunner(const std::string& commandLine, Lines& output, uint16_t showMode, HWND progress,
                const bool* abortFlag);
  ConsoleRunner(const ConsoleRunner&) = delete;
  ConsoleRunner& operator=(const ConsoleRunner&) = delete;

  // Runs once and returns the packed result.
  uint32_t Run();

  uint16_t ShowMode;
  std::string CommandLine;
  Lines& Output;           // the caller's; not owned
  const bool* AbortFlag;   // read once per poll and between reads, never written
  bool PipeCreated = false;
  bool ProcessCreated = false;
  uint32_t WaitResult = 0;  // 0 ended, 258 timed out, 0xFFFFFFFF failed
  bool ExitCodeRead = false;
  uint32_t ExitCode = 0;    // 259 while the program runs
  HWND Progress;            // the caller's; not owned

 private:
  // Reads what one read gives (at most 1023 bytes) into lines; the number of
  // bytes read, 0 when the read failed.
  DWORD ReadChunk(HANDLE pipe);
  // Adds bytes to the line in progress; each LF delivers it.
  void AddBytes(const char* p, const char* end);
  // Reads what the pipe holds, for at most one poll interval, processing the
  // caller's window messages now and then and stopping early when the abort
  // flag is set; true when it read anything (more may follow at once).
  bool Drain(HANDLE pipe);
  void StepProgress();
  uint32_t Result() const;

  std::string line_;  // the line in progress
};
