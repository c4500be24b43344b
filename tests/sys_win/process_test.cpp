#include <gtest/gtest.h>

#include "sys/files.h"
#include "sys/process.h"
#include "tests/sys_win/scratch.h"

namespace {
int g_ticks = 0;
void CALLBACK CountTick(HWND, UINT, UINT_PTR, DWORD) { ++g_ticks; }

// A thread timer whose ticks only arrive when someone dispatches messages.
class TickCounter {
 public:
  TickCounter() : id_(SetTimer(nullptr, 0, 20, CountTick)) { g_ticks = 0; }
  ~TickCounter() { KillTimer(nullptr, id_); }
  int Ticks() const { return g_ticks; }

 private:
  UINT_PTR id_;
};
}  // namespace

TEST(RunProgram, StartsWithoutWaitingAndHandsBackTheProcess) {
  ScratchDir dir("run");
  const std::string mark = dir / "mark";
  UniqueHandle process = RunProgram(ChildCommand("touch \"" + mark + "\" 500"), SW_SHOWNORMAL);
  ASSERT_TRUE(process);
  // It did not wait: the mark comes half a second later.
  EXPECT_FALSE(FileExists(mark));
  ASSERT_EQ(WaitForSingleObject(process.Get(), 20000), WAIT_OBJECT_0);
  DWORD code = 0;
  ASSERT_TRUE(GetExitCodeProcess(process.Get(), &code));
  EXPECT_EQ(code, 7u);
  EXPECT_TRUE(FileExists(mark));
}

TEST(RunProgram, NoHandleForAProgramThatCannotStart) {
  EXPECT_FALSE(RunProgram("cv_no_such_program_here.exe", SW_SHOWNORMAL));
  EXPECT_FALSE(RunProgram("", SW_SHOWNORMAL));
}

TEST(RunAndWait, WaitsForTheEndWhileDispatchingMessages) {
  ScratchDir dir("runwait");
  const std::string mark = dir / "mark";
  TickCounter timer;
  EXPECT_EQ(RunAndWait(ChildCommand("touch \"" + mark + "\" 600"), SW_SHOWNORMAL), WAIT_OBJECT_0);
  EXPECT_TRUE(FileExists(mark));
  EXPECT_GT(timer.Ticks(), 0);  // the caller's timer ran during the wait
}

TEST(RunAndWait, FailsAtOnceWhenTheProgramCannotStart) {
  EXPECT_EQ(RunAndWait("cv_no_such_program_here.exe", SW_SHOWNORMAL), WAIT_FAILED);
}

namespace {
bool ShowsAWindowWithin(HANDLE process, DWORD timeoutMs) {
  for (DWORD waited = 0; waited < timeoutMs; waited += 100, Sleep(100))
    if (ShowsAWindow(GetProcessId(process))) return true;
  return false;
}
}  // namespace

TEST(OpenFolderWindow, ShowsAnExplorerWindow) {
  ScratchDir dir("explorer");
  UniqueHandle explorer = OpenFolderWindow(dir.Path(), nullptr);
  ASSERT_TRUE(explorer);
  // Explorer stays open on its own: end the one we started, but only once its
  // window is up. Ended earlier, Wine's desktop process it started would never
  // see a last window go and would outlive the test.
  WaitForInputIdle(explorer.Get(), 10000);
  EXPECT_TRUE(ShowsAWindowWithin(explorer.Get(), 10000));
  TerminateProcess(explorer.Get(), 0);
  WaitForSingleObject(explorer.Get(), 5000);
}
