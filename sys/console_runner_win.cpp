#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "sys/console_runner.h"
#include "sys/error_text.h"
#include "sys/handle.h"
#include "sys/message_pump.h"
#include "sys/process.h"

namespace {
constexpr DWORD kPipeBufferSize = 2500000;  // a suggestion; the system may use less
constexpr DWORD kPollMs = 100;
// How often a long drain of the pipe lets the caller's windows run.
constexpr ULONGLONG kPumpMs = 15;
constexpr ULONGLONG kTimeLimitSeconds = 30;
constexpr DWORD kReadSize = 1023;
constexpr int kProgressWrapAbove = 100;
constexpr int kProgressRestart = 20;

ULONGLONG ClockSeconds() { return GetTickCount64() / 1000; }

// A pipe cannot be waited on, only the program. While its output flows the
// wait only looks whether it has ended; once the pipe falls quiet the waits
// double from 1 ms up to the poll interval, so a program that pauses briefly
// between writes is not held up for a whole poll.
DWORD WaitMs(bool outputFlows, unsigned quietPolls) {
  if (outputFlows) return 0;
  return (std::min)(kPollMs, DWORD(1) << (std::min)(quietPolls, 7u));
}
}  // namespace

uint32_t RunConsole(const std::string& commandLine, Lines& output, uint16_t showMode,
                    HWND progressBar, const bool* abortFlag) {
  ConsoleRunner runner(commandLine, output, showMode, progressBar, abortFlag);
  return runner.Run();
}

ConsoleRunner::ConsoleRunner(const std::string& commandLine, Lines& output, uint16_t showMode,
                             HWND progress, const bool* abortFlag)
    : ShowMode(showMode), CommandLine(commandLine), Output(output), AbortFlag(abortFlag),
      Progress(progress) {}

uint32_t ConsoleRunner::Result() const {
  return ((ExitCode & 0xFFFF) << 16) | (WaitResult & 0xFFFF);
}

DWORD ConsoleRunner::ReadChunk(HANDLE pipe) {
  char buffer[kReadSize + 1];
  DWORD got = 0;
  if (!ReadFile(pipe, buffer, kReadSize, &got, nullptr)) return 0;
  AddBytes(buffer, buffer + got);
  return got;
}

void ConsoleRunner::AddBytes(const char* p, const char* end) {
  // Whole runs at a time: the output can be megabytes.
  while (p < end) {
    const char* run = p;
    while (p < end && *p != '\n' && *p != '\r' && *p != '\0') ++p;
    line_.append(run, p - run);
    if (p == end) break;
    if (*p == '\n') {
      Output.push_back(line_);
      line_.clear();
    }
    ++p;
  }
}

bool ConsoleRunner::Drain(HANDLE pipe) {
  const ULONGLONG start = GetTickCount64();
  ULONGLONG pumped = start;
  DWORD available = 0;
  bool read = false;
  for (;;) {
    // Reads of what a peek reported never block, so one peek serves many.
    if (available == 0 &&
        (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) || available == 0))
      return read;
    const DWORD got = ReadChunk(pipe);
    if (got == 0) return read;
    read = true;
    available -= got < available ? got : available;
    if (AbortFlag && *AbortFlag) return true;
    const ULONGLONG now = GetTickCount64();
    if (now - start >= kPollMs) return true;
    if (now - pumped >= kPumpMs) {
      ProcessMessages();
      pumped = now;
    }
  }
}

void ConsoleRunner::StepProgress() {
  // Decided on the computed position: with the bar's usual range of 0 to 100
  // the control itself would stop at 100 and never wrap.
  int position = static_cast<int>(SendMessageA(Progress, PBM_GETPOS, 0, 0)) + 1;
  if (position > kProgressWrapAbove) position = kProgressRestart;
  SendMessageA(Progress, PBM_SETPOS, position, 0);
}

uint32_t ConsoleRunner::Run() {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  UniqueHandle readEnd, writeEnd;
  PipeCreated = CreatePipe(readEnd.Receive(), writeEnd.Receive(), &inherit, kPipeBufferSize) != FALSE;
  if (!PipeCreated) {
    Output.push_back("CreatePipe Error: " + LastErrorText());
    return 0;
  }
  if (readEnd.Get() == INVALID_HANDLE_VALUE || writeEnd.Get() == INVALID_HANDLE_VALUE) {
    Output.push_back("CreatePipe Error: Not a valid Handle for STDIN/STDOUT");
    return 0;
  }
  // Only the write end goes to the child: a child holding our read end would
  // block on a full pipe forever once we stop reading, instead of failing.
  SetHandleInformation(readEnd.Get(), HANDLE_FLAG_INHERIT, 0);

  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
  startup.wShowWindow = ShowMode;
  startup.hStdInput = nullptr;
  startup.hStdOutput = writeEnd.Get();
  startup.hStdError = writeEnd.Get();
  PROCESS_INFORMATION info = {};
  ProcessCreated = StartProcess(CommandLine, true, 0, &startup, &info);
  if (!ProcessCreated) {
    Output.push_back("CreateProcess Error: " + LastErrorText());
    return 0;
  }
  CloseHandle(info.hThread);
  UniqueHandle process(info.hProcess);

  ULONGLONG mark = ClockSeconds();
  bool outputFlows = true;
  unsigned quietPolls = 0;
  ULONGLONG stepped = 0;
  while (ClockSeconds() < mark + kTimeLimitSeconds) {
    ProcessMessages();
    WaitResult = WaitForSingleObject(process.Get(), WaitMs(outputFlows, quietPolls));
    if (WaitResult == WAIT_FAILED) {
      Output.push_back("WaitForSingle Error: " + LastErrorText());
      break;
    }
    // One step per poll interval, however short the waits are.
    const ULONGLONG now = GetTickCount64();
    if (Progress && (stepped == 0 || now - stepped >= kPollMs)) {
      StepProgress();
      stepped = now;
    }
    if (AbortFlag && *AbortFlag) {
      process.Reset();  // lets go of the process; it keeps running
      break;
    }
    ProcessMessages();
    outputFlows = Drain(readEnd.Get());
    quietPolls = outputFlows ? 0 : quietPolls + 1;
    const bool ended = WaitResult != WAIT_TIMEOUT;
    // Once the program has ended the clock runs on, so output that some
    // other holder of the pipe keeps writing cannot keep the run alive.
    if (!ended) mark = ClockSeconds();
    DWORD code = 0;
    ExitCodeRead = GetExitCodeProcess(process.Get(), &code) != FALSE;
    if (ExitCodeRead)
      ExitCode = code;
    else
      Output.push_back("GetExitCode Error: " + LastErrorText());
    if (ended && !outputFlows) {
      // The program has ended and the pipe is drained: nothing more will
      // complete the last line, so it is delivered as it stands.
      if (!line_.empty()) Output.push_back(line_);
      line_.clear();
      break;
    }
  }
  return Result();
}
