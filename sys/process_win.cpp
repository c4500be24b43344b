#include <windows.h>

#include <vector>

#include "sys/message_pump.h"
#include "sys/process.h"
#include "sys/wide.h"

namespace {
constexpr DWORD kPollMs = 100;
}  // namespace

std::string ProgramCommandLine() { return Narrow(GetCommandLineW()); }

bool StartProcess(const std::string& commandLine, bool inheritHandles, uint32_t flags, STARTUPINFOW* startup,
                  PROCESS_INFORMATION* info) {
  // CreateProcessW may write into the command line: give it a copy.
  std::wstring line = Widen(commandLine);
  line.push_back(L'\0');
  return CreateProcessW(nullptr, &line[0], nullptr, nullptr, inheritHandles, flags, nullptr, nullptr, startup,
                        info) != FALSE;
}

UniqueHandle RunProgram(const std::string& commandLine, uint16_t showMode) {
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = showMode;
  PROCESS_INFORMATION info = {};
  if (!StartProcess(commandLine, false, 0, &startup, &info)) return UniqueHandle();
  CloseHandle(info.hThread);
  return UniqueHandle(info.hProcess);
}

uint32_t RunAndWait(const std::string& commandLine, uint16_t showMode) {
  UniqueHandle process = RunProgram(commandLine, showMode);
  if (!process) return WAIT_FAILED;
  DWORD result;
  do {
    result = WaitForSingleObject(process.Get(), kPollMs);
    ProcessMessages();
  } while (result == WAIT_TIMEOUT);
  return result;
}

UniqueHandle OpenFolderWindow(const std::string& folder) {
  return RunProgram("explorer.exe " + folder, SW_SHOWNORMAL);
}
