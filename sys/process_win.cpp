#include <windows.h>

#include <vector>

#include "sys/message_pump.h"
#include "sys/process.h"

namespace {
constexpr DWORD kPollMs = 100;
}  // namespace

UniqueHandle RunProgram(const std::string& commandLine, uint16_t showMode) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = showMode;
  PROCESS_INFORMATION info = {};
  // CreateProcessA may write into the command line: give it a copy.
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &info))
    return UniqueHandle();
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
