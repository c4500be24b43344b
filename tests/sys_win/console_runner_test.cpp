#include <gtest/gtest.h>
#include <gmock/gmock.h>

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "sys/console_runner.h"
#include "sys/error_text.h"
#include "tests/sys_win/child_pattern.h"
#include "tests/sys_win/scratch.h"

using ::testing::ElementsAre;

namespace {
uint32_t RunChild(const std::string& arguments, Lines* output, HWND progress = nullptr,
             const bool* abort = nullptr) {
  return RunConsole(ChildCommand(arguments), *output, SW_HIDE, progress, abort);
}

uint32_t High(uint32_t result) { return result >> 16; }
uint32_t Low(uint32_t result) { return result & 0xFFFF; }
}  // namespace

TEST(RunConsole, LinesEndAtLineFeedsAndTheRestComesLast) {
  Lines out;
  uint32_t result = RunChild("lines", &out);
  // "c" has no line feed: it still arrives once the program has ended.
  EXPECT_THAT(out, ElementsAre("a", "b", "c"));
  EXPECT_EQ(High(result), 3u);
  EXPECT_EQ(Low(result), 0u);
}

TEST(RunConsole, CarriageReturnsAndZerosAreDroppedHighBytesKept) {
  Lines out = {"earlier line"};
  EXPECT_EQ(RunChild("mixed", &out), 0u);
  EXPECT_THAT(out, ElementsAre("earlier line", "one", "two", "", "xy\xE9\xFF", "zz", "last"));
}

TEST(RunConsole, ALoneLineFeedReadOnItsOwnEndsTheLine) {
  Lines out;
  RunChild("lf-pieces", &out);
  EXPECT_THAT(out, ElementsAre("ab", "cd"));
}

TEST(RunConsole, StandardErrorInterleavesInTheOrderWritten) {
  Lines out;
  RunChild("interleave 300", &out);
  Lines expected;
  for (int i = 0; i < 300; ++i) {
    expected.push_back("out " + std::to_string(i));
    expected.push_back("err " + std::to_string(i));
  }
  EXPECT_EQ(out, expected);
}

TEST(RunConsole, TenMegabytesArriveCompleteAndInOrder) {
  const unsigned long lines = 10 * 1024 * 1024 / 80;
  Lines out;
  out.reserve(lines);
  uint32_t result = RunChild("big " + std::to_string(lines * 80), &out);
  EXPECT_EQ(result, 0u);
  ASSERT_EQ(out.size(), lines);
  for (unsigned long i = 0; i < lines; ++i)
    ASSERT_EQ(out[i], PatternLine(i)) << "line " << i;
}

TEST(RunConsole, ExitCodesKeepTheirLowSixteenBits) {
  Lines out;
  EXPECT_EQ(RunChild("exit ABCD", &out), 0xABCD0000u);
  EXPECT_EQ(RunChild("exit 12345", &out), 0x23450000u);
  EXPECT_TRUE(out.empty());
}

TEST(RunConsole, ACommandNamingNoProgramReportsTheSystemsText) {
  Lines out;
  EXPECT_EQ(RunConsole("cv_no_such_console_program.exe", out, SW_HIDE, nullptr, nullptr), 0u);
  EXPECT_THAT(out, ElementsAre("CreateProcess Error: " + SystemErrorText(ERROR_FILE_NOT_FOUND)));
}

namespace {
// The abort test's timer: sets the flag once the child has said who it is.
struct AbortState {
  const Lines* output = nullptr;
  bool flag = false;
  ULONGLONG setAt = 0;
} g_abort;

void CALLBACK AbortWhenChildSpoke(HWND, UINT, UINT_PTR, DWORD) {
  if (!g_abort.flag && !g_abort.output->empty()) {
    g_abort.flag = true;
    g_abort.setAt = GetTickCount64();
  }
}
}  // namespace

// A program that waits quietly, and one that never stops writing.
struct Child {
  const char* name;
  const char* arguments;
};
class AbortFlag : public ::testing::TestWithParam<Child> {};
INSTANTIATE_TEST_SUITE_P(RunConsole, AbortFlag,
                         ::testing::Values(Child{"Quiet", "sleep 20000"}, Child{"Flooding", "flood"}),
                         [](const ::testing::TestParamInfo<Child>& info) { return info.param.name; });

TEST_P(AbortFlag, StopsTheRunWithinAPollAndLeavesTheProgramRunning) {
  Lines out;
  g_abort = AbortState{&out};
  UINT_PTR timer = SetTimer(nullptr, 0, 30, AbortWhenChildSpoke);
  uint32_t result = RunChild(GetParam().arguments, &out, nullptr, &g_abort.flag);
  ULONGLONG returnedAt = GetTickCount64();
  KillTimer(nullptr, timer);

  ASSERT_TRUE(g_abort.flag);
  // One poll is 100 ms; leave room for a slow machine, far below the child's 20 s.
  EXPECT_LT(returnedAt - g_abort.setAt, 1000u);
  EXPECT_EQ(Low(result), 258u);
  EXPECT_EQ(High(result), 259u);  // an exit code was read before: still active

  ASSERT_FALSE(out.empty());
  DWORD pid = std::stoul(out[0].substr(4));
  HANDLE child = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
  ASSERT_TRUE(child) << out[0];
  EXPECT_EQ(WaitForSingleObject(child, 0), WAIT_TIMEOUT);
  TerminateProcess(child, 1);
  WaitForSingleObject(child, 5000);
  CloseHandle(child);
}

TEST(RunConsole, TheProgressBarStepsAndWrapsFromAboveHundredToTwenty) {
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&icc);
  HWND bar = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_POPUP | WS_VISIBLE, 0, 0, 200, 20, nullptr,
                             nullptr, nullptr, nullptr);
  ASSERT_TRUE(bar);
  Lines out;
  SendMessageA(bar, PBM_SETPOS, 100, 0);
  RunChild("exit 0", &out, bar);
  int wrapped = static_cast<int>(SendMessageA(bar, PBM_GETPOS, 0, 0));
  EXPECT_GE(wrapped, 20);
  EXPECT_LT(wrapped, 100);

  SendMessageA(bar, PBM_SETPOS, 0, 0);
  RunChild("sleep 400", &out, bar);
  int stepped = static_cast<int>(SendMessageA(bar, PBM_GETPOS, 0, 0));
  EXPECT_GE(stepped, 4);  // one step per 100 ms poll
  EXPECT_LE(stepped, 100);
  DestroyWindow(bar);
}
