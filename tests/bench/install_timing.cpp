#include "tests/bench/install_timing.h"

#include <windows.h>

#include "sys/handle.h"
#include "tests/bench/poll.h"

namespace bench {
namespace {

using namespace std::chrono_literals;
using e2e::Window;

// Looks without sending messages: setup's thread is busy while it installs.
Window FindWaitDialog(DWORD pid) {
  for (const Window& w : automation::TopWindows(pid)) {
    char caption[64] = "", cls[64] = "";
    GetWindowTextA(w.Handle(), caption, sizeof caption);
    GetClassNameA(w.Handle(), cls, sizeof cls);
    if (std::string(caption) == e2e::kProduct && std::string(cls) != "#32770") return w;
  }
  return Window();
}

}  // namespace

double TimeXcopy(const std::string& from, const std::string& to) {
  std::string command = "xcopy.exe \"" + from + "\" \"" + to + "\" /E /I /Y /Q";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;  // its listing goes nowhere
  PROCESS_INFORMATION info{};
  const Clock::time_point start = Clock::now();
  if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                      &startup, &info))
    throw automation::Failure("cannot start " + command);
  UniqueHandle process(info.hProcess), thread(info.hThread);
  WaitForSingleObject(process.Get(), INFINITE);
  const double ms = Ms(Clock::now() - start);
  DWORD code = 1;
  GetExitCodeProcess(process.Get(), &code);
  if (code != 0) throw automation::Failure(command + " ended with " + std::to_string(code));
  return ms;
}

InstallTimes TimeInstall(const e2e::SetupWizard& setup, const std::vector<Milestone>& along) {
  const Window done = setup.Form().Get(
      e2e::Control{"Static", e2e::kDoneHeading, e2e::Control::Match::Exact, /*visibleOnly=*/false, 0});
  setup.Press("Install");
  const e2e::MsgBox question = setup.Box("Install now?");
  const Window ok(GetDlgItem(question.Box().Handle(), IDOK));

  const Clock::time_point confirmed = Clock::now();
  automation::Click(ok);
  Window dialog;
  const DWORD pid = setup.Program().Id();
  const Clock::time_point shown = PollUntil([&] { return bool(dialog = FindWaitDialog(pid)); }, 30s, "wait dialog");
  // Destroyed as the countdown ends, before the first install step.
  const Clock::time_point closed = PollUntil([&] { return !IsWindow(dialog.Handle()); }, 30s,
                                             "end of the wait dialog");
  const std::vector<Clock::time_point> marks = PollEach(along, 180s);
  const Clock::time_point finished = PollUntil([&] { return IsWindowVisible(done.Handle()) != FALSE; },
                                               180s, "Done page");
  InstallTimes t;
  for (const Clock::time_point& m : marks) t.marks.push_back(Ms(m - closed));
  t.total = Ms(finished - confirmed);
  t.wait = Ms(closed - shown);
  t.after = Ms(finished - closed);
  return t;
}

}  // namespace bench
