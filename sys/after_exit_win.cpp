#include "sys/after_exit.h"

#include <windows.h>

#include <cstdlib>

#include "sys/files.h"
#include "sys/handle.h"
#include "sys/module_path.h"
#include "sys/process.h"
#include "sys/text.h"
#include "sys/wide.h"

namespace {

// A copy in the temporary folder, opened so that it is deleted once the last
// handle to it closes: the copy inherits one and holds it until it ends.
UniqueHandle TemporaryCopy(std::string* path) {
  const std::string folder = TempDir();
  for (int n = 0; n < 100; ++n) {
    *path = folder + "~cvrm" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(n) + ".exe";
    if (!CopyOneFile(ModuleFileName(), *path, true)) continue;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    UniqueHandle held(CreateFileW(Widen(*path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                  &inherit, OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (!held) RemoveFile(*path);
    return held;
  }
  return UniqueHandle();
}

}  // namespace

bool StartCopyAfterExit(const std::string& arguments) {
  std::string program;
  UniqueHandle copy = TemporaryCopy(&program);
  if (!copy) return false;
  HANDLE raw = nullptr;
  if (!DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &raw, SYNCHRONIZE, TRUE, 0))
    return false;
  UniqueHandle self(raw);
  const std::string commandLine =
      "\"" + program + "\" " +
      ReplaceAll(arguments, "%h", std::to_string(reinterpret_cast<uintptr_t>(self.Get())));
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
  char* end = nullptr;
  const unsigned long long value = std::strtoull(handleNumber.c_str(), &end, 10);
  if (handleNumber.empty() || *end) return false;
  UniqueHandle starter(reinterpret_cast<HANDLE>(static_cast<uintptr_t>(value)));
  return WaitForSingleObject(starter.Get(), timeoutMs) == WAIT_OBJECT_0;
}
