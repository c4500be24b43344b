#include <windows.h>

#include <vector>

#include "sys/message_pump.h"
#include "sys/process.h"
#include "sys/wide.h"

namespace {
constexpr DWORD kPollMs = 100;

struct WindowOf {
  DWORD process;
  bool shown;
};

BOOL CALLBACK FindShownWindow(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<WindowOf*>(param);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  search->shown = process == search->process && IsWindowVisible(window);
  return !search->shown;
}
}  // namespace

bool ShowsAWindow(uint32_t processId) {
  WindowOf search = {processId, false};
  EnumWindows(FindShownWindow, reinterpret_cast<LPARAM>(&search));
  return search.shown;
}

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

UniqueHandle OpenFolderWindow(const std::string& folder, HWND front) {
  const bool wasInFront = front && GetForegroundWindow() == front;
  // Windows keeps a process that is not in front from taking the foreground
  // while it is locked.
  if (wasInFront) LockSetForegroundWindow(LSFW_LOCK);
  UniqueHandle explorer = RunProgram("explorer.exe " + folder, SW_SHOWNOACTIVATE);
  // Until its window shows, or it has handed the folder to the shell's own
  // Explorer and ended.
  const DWORD id = explorer ? GetProcessId(explorer.Get()) : 0;
  for (DWORD waited = 0; explorer && waited < 5000 && !ShowsAWindow(id); waited += 20) {
    if (WaitForSingleObject(explorer.Get(), 20) != WAIT_TIMEOUT) break;
    ProcessMessages();
  }
  // Wine's Explorer activates its window as it shows, and the activation
  // may go on arriving for a moment after.
  for (DWORD settled = 0; wasInFront && settled < 500; settled += 20) {
    if (GetForegroundWindow() != front) SetForegroundWindow(front);
    Sleep(20);
    ProcessMessages();
  }
  if (wasInFront) LockSetForegroundWindow(LSFW_UNLOCK);
  return explorer;
}
