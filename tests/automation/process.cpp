// Programs under test as processes of their own. Each runs in a job object
// that ends with its owner, so nothing it started outlives the test (the
// stand-in client started from the wizard, for instance).
#include <windows.h>

#include "sys/path.h"
#include "sys/module_path.h"
#include "sys/wide.h"
#include "tests/automation/automation.h"

namespace automation {
namespace {

UniqueHandle MakeKillOnCloseJob() {
  UniqueHandle job(CreateJobObjectA(nullptr, nullptr));
  if (!job) return job;
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  // A program may leave on purpose what it starts to outlive it (the
  // uninstaller's clean-up copy), as deployment tools' jobs allow.
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | JOB_OBJECT_LIMIT_BREAKAWAY_OK;
  if (!SetInformationJobObject(job.Get(), JobObjectExtendedLimitInformation, &limits, sizeof limits))
    job.Reset();
  return job;
}

}  // namespace

Process Process::Start(const std::string& exe, const std::string& args, const std::string& folder) {
  std::string commandLine = "\"" + exe + "\"";
  if (!args.empty()) commandLine += " " + args;
  // The first window of a session starts Wine's desktop process as a child of
  // whoever asks first; that must be us, not the job that ends with the test.
  GetDesktopWindow();
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  std::wstring line = Widen(commandLine);
  const std::wstring in = Widen(folder);
  // Suspended until it is in the job, so that nothing it starts escapes.
  if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                      folder.empty() ? nullptr : in.c_str(), &startup, &info))
    throw Failure("cannot start " + commandLine + (folder.empty() ? "" : " in " + folder) + ": error " +
                  std::to_string(GetLastError()));
  Process p;
  p.process_.Reset(info.hProcess);
  UniqueHandle thread(info.hThread);
  p.pid_ = info.dwProcessId;
  p.job_ = MakeKillOnCloseJob();
  // Without a job, only the process itself is ended at the end.
  if (p.job_ && !AssignProcessToJobObject(p.job_.Get(), p.process_.Get())) p.job_.Reset();
  ResumeThread(thread.Get());
  return p;
}

Process& Process::operator=(Process&& other) noexcept {
  if (this != &other) {
    Kill();
    process_ = std::move(other.process_);
    job_ = std::move(other.job_);
    pid_ = other.pid_;
    other.pid_ = 0;
  }
  return *this;
}

Process::~Process() { Kill(); }

bool Process::Running() const {
  return process_ && WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT;
}

DWORD Process::WaitExit(Duration timeout) const {
  if (!process_) throw Failure("no process to wait for");
  if (WaitForSingleObject(process_.Get(), static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0)
    throw Failure("timed out after " + std::to_string(timeout.count()) + " ms waiting for process " +
                  std::to_string(pid_) + " to end\n" + DescribeTopWindows(pid_));
  DWORD code = 0;
  GetExitCodeProcess(process_.Get(), &code);
  return code;
}

bool Process::TreeRunning() const {
  JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting{};
  if (job_ && QueryInformationJobObject(job_.Get(), JobObjectBasicAccountingInformation, &accounting,
                                        sizeof accounting, nullptr))
    return accounting.ActiveProcesses > 0;
  return Running();
}

DWORD Process::ProcessesStarted() const {
  JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting{};
  if (job_ && QueryInformationJobObject(job_.Get(), JobObjectBasicAccountingInformation, &accounting,
                                        sizeof accounting, nullptr))
    return accounting.TotalProcesses;
  return 0;
}

void Process::Kill() {
  if (job_) {
    TerminateJobObject(job_.Get(), 1);
    job_.Reset();
  } else if (Running()) {
    TerminateProcess(process_.Get(), 1);
  }
  if (process_) WaitForSingleObject(process_.Get(), 5000);
  process_.Reset();
}

std::string ProgramFolder() { return ExtractFilePath(ModuleFileName()); }

}  // namespace automation
