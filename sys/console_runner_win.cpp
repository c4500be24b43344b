#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "sys/console_runner.h"
#include "sys/error_text.h"
#include "sys/handle.h"
#include "sys/message_pump.h"

namespace {
constexpr DWORD kPipeBufferSize = 2500000;  // a suggestion; the system may use less
constexpr DWORD kPollMs = 100;
constexpr ULONGLONG kTimeLimitSeconds = 30;
constexpr DWORD kReadSize = 1023;
constexpr int kProgressWrapAbove = 100;
constexpr int kProgressRestart = 20;

ULONGLONG ClockSeconds() { return GetTickCount64() / 1000; }
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

bool ConsoleRunner::ReadChunk(HANDLE pipe) {
  char buffer[kReadSize + 1];
  DWORD got = 0;
  if (!ReadFile(pipe, buffer, kReadSize, &got, nullptr)) return false;
  for (DWORD i = 0; i < got; ++i) {
    char c = buffer[i];
    if (c == '\n') {
      Output.push_back(line_);
      line_.clear();
    } else if (c != '\r' && c != '\0') {
      line_ += c;
    }
  }
  return got == kReadSize;
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

  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
  startup.wShowWindow = ShowMode;
  startup.hStdInput = nullptr;
  startup.hStdOutput = writeEnd.Get();
  startup.hStdError = writeEnd.Get();
  PROCESS_INFORMATION info = {};
  std::vector<char> line(CommandLine.begin(), CommandLine.end());
  line.push_back('\0');
  ProcessCreated = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                  &startup, &info) != FALSE;
  if (!ProcessCreated) {
    Output.push_back("CreateProcess Error: " + LastErrorText());
    return 0;
  }
  CloseHandle(info.hThread);
  UniqueHandle process(info.hProcess);

  ULONGLONG mark = ClockSeconds();
  while (ClockSeconds() < mark + kTimeLimitSeconds) {
    ProcessMessages();
    WaitResult = WaitForSingleObject(process.Get(), kPollMs);
    if (WaitResult == WAIT_FAILED) {
      Output.push_back("WaitForSingle Error: " + LastErrorText());
      break;
    }
    if (Progress) StepProgress();
    if (AbortFlag && *AbortFlag) {
      process.Reset();  // lets go of the process; it keeps running
      break;
    }
    ProcessMessages();
    DWORD available = 0;
    while (PeekNamedPipe(readEnd.Get(), nullptr, 0, nullptr, &available, nullptr) && available > 0) {
      ProcessMessages();
      ReadChunk(readEnd.Get());
    }
    mark = ClockSeconds();
    DWORD code = 0;
    ExitCodeRead = GetExitCodeProcess(process.Get(), &code) != FALSE;
    if (ExitCodeRead)
      ExitCode = code;
    else
      Output.push_back("GetExitCode Error: " + LastErrorText());
    if (WaitResult != WAIT_TIMEOUT) {
      // The program has ended and the pipe is drained: nothing more will
      // complete the last line, so it is delivered as it stands.
      if (!line_.empty()) Output.push_back(line_);
      line_.clear();
      break;
    }
  }
  return Result();
}
