#include "sys/after_exit.h"

#include <windows.h>

#include <cstdlib>

#include "sys/files.h"
#include "sys/handle.h"
#include "sys/module_path.h"
#include "sys/process.h"
#include "sys/sleep.h"
#include "sys/text.h"
#include "sys/wide.h"

namespace {

// A handle number handed over on the command line; nullptr when it is none.
HANDLE HandleFrom(const std::string& number) {
  char* end = nullptr;
  const unsigned long long value = std::strtoull(number.c_str(), &end, 10);
  return number.empty() || *end || value == 0
             ? nullptr
             : reinterpret_cast<HANDLE>(static_cast<uintptr_t>(value));
}

// A copy in the temporary folder, opened so that it is deleted once the last
// handle to it closes: the copy inherits one and holds it until it ends.
UniqueHandle TemporaryCopy(const std::string& program, std::string* path) {
  const std::string folder = TempDir();
  for (int n = 0; n < 100; ++n) {
    *path = folder + "~cvrm" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(n) + ".exe";
    if (!CopyOneFile(program, *path, true)) continue;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    UniqueHandle held(CreateFileW(Widen(*path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                  &inherit, OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (!held) RemoveFile(*path);
    return held;
  }
  return UniqueHandle();
}

}  // namespace

std::string MoveProgramToTemp(const std::string& program) {
  const std::string folder = TempDir();
  for (int n = 0; n < 100 && !folder.empty(); ++n) {
    const std::string moved =
        folder + "~cvun" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(n) + ".exe";
    // No copy across volumes: the copy would be made and the original stay.
    if (MoveFileExW(Widen(program).c_str(), Widen(moved).c_str(), MOVEFILE_WRITE_THROUGH)) {
      MoveFileExW(Widen(moved).c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
      return moved;
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS && GetLastError() != ERROR_FILE_EXISTS) break;
  }
  return std::string();
}

bool StartCopyAfterExit(const std::string& program, const std::string& arguments, const std::string& heldFile) {
  std::string copyPath;
  UniqueHandle copy = TemporaryCopy(program, &copyPath);
  if (!copy) return false;
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  UniqueHandle held;
  if (!heldFile.empty()) {
    // Its image is mapped while this process runs: every sharing allowed.
    held.Reset(CreateFileW(Widen(heldFile).c_str(), DELETE | SYNCHRONIZE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit,
                           OPEN_EXISTING, 0, nullptr));
    if (!held) return false;
  }
  HANDLE raw = nullptr;
  if (!DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &raw, SYNCHRONIZE, TRUE, 0))
    return false;
  UniqueHandle self(raw);
  const std::string commandLine =
      "\"" + copyPath + "\" " +
      ReplaceAll(
          ReplaceAll(arguments, "%h", std::to_string(reinterpret_cast<uintptr_t>(self.Get()))),
          "%f", std::to_string(reinterpret_cast<uintptr_t>(held.Get())));
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  // Out of any job the caller runs us in, where the job allows it: a job
  // closed when we end would end the copy with us.
  if (!StartProcess(commandLine, true, DETACHED_PROCESS | CREATE_BREAKAWAY_FROM_JOB, &startup, &info) &&
      !StartProcess(commandLine, true, DETACHED_PROCESS, &startup, &info))
    return false;
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return true;
}

bool WaitForStarter(const std::string& handleNumber, unsigned timeoutMs) {
  UniqueHandle starter(HandleFrom(handleNumber));
  return starter && WaitForSingleObject(starter.Get(), timeoutMs) == WAIT_OBJECT_0;
}

bool DeleteHeldFile(const std::string& handleNumber, unsigned timeoutMs) {
  UniqueHandle file(HandleFrom(handleNumber));
  if (!file) return false;
  FILE_DISPOSITION_INFO gone = {TRUE};
  constexpr unsigned kPauseMs = 100;
  // The system may hold a program's image a moment after its process ended.
  for (unsigned waited = 0;; waited += kPauseMs) {
    if (SetFileInformationByHandle(file.Get(), FileDispositionInfo, &gone, sizeof gone))
      return true;
    if (waited >= timeoutMs) return false;
    SleepMs(kPauseMs);
  }
}
