// Forms are laid out for 96 DPI and scaled to the system's DPI: positions,
// sizes and font heights. The session runs at 96; a child run of this program
// checks the same layout at 144 DPI.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "sys/module_path.h"
#include "tests/ui/sample_form.h"
#include "ui/ui.h"

namespace {

const char kDesktopKey[] = "Control Panel\\Desktop";
const char kExpectedDpiVariable[] = "CV_EXPECT_DPI";

RECT InParent(HWND control) {
  RECT r;
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

void ExpectScaledLayout() {
  using ui::Scale;
  SampleForm form;
  RECT client;
  GetClientRect(form.Handle(), &client);
  EXPECT_EQ(client.right, Scale(kSampleFormSpec.clientWidth));
  EXPECT_EQ(client.bottom, Scale(kSampleFormSpec.clientHeight));
  for (size_t i = 0; i < kSampleControlCount; ++i) {
    const ui::ControlSpec& row = kSampleControls[i];
    RECT r = InParent(form.Find(row.name)->Handle());
    EXPECT_EQ(r.left, Scale(row.left)) << row.name;
    EXPECT_EQ(r.top, Scale(row.top)) << row.name;
    if (row.kind == ui::Kind::Label) continue;  // sized to its text
    EXPECT_EQ(r.right - r.left, Scale(row.width)) << row.name;
    EXPECT_EQ(r.bottom - r.top, Scale(row.height)) << row.name;
  }
  // Notebook pages fill the notebook.
  RECT page = InParent(form.Find("Two")->Handle());
  EXPECT_EQ(page.right - page.left, Scale(150));
  EXPECT_EQ(page.bottom - page.top, Scale(150));

  // Fonts are scaled alike, and a label sized to its text fits it in that font.
  LOGFONTA font = {};
  GetObjectA(reinterpret_cast<HFONT>(SendMessageA(form.Name.Handle(), WM_GETFONT, 0, 0)),
             sizeof font, &font);
  EXPECT_EQ(font.lfHeight, Scale(-11));
  HWND label = form.OnTwo.Handle();
  HDC dc = GetDC(label);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(label, WM_GETFONT, 0, 0)));
  SIZE text = {};
  GetTextExtentPoint32A(dc, "On page two", 11, &text);
  SelectObject(dc, old);
  ReleaseDC(label, dc);
  RECT r = InParent(label);
  EXPECT_EQ(r.right - r.left, text.cx);
  EXPECT_EQ(r.bottom - r.top, text.cy);
}

// Sets the prefix's DPI for processes started from now on; restores it after.
class DesktopDpi {
 public:
  explicit DesktopDpi(DWORD dpi) {
    RegCreateKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                    nullptr);
    DWORD size = sizeof saved_;
    had_ = RegQueryValueExA(key_, "LogPixels", nullptr, nullptr, reinterpret_cast<BYTE*>(&saved_),
                            &size) == ERROR_SUCCESS;
    RegSetValueExA(key_, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi);
  }
  ~DesktopDpi() {
    if (had_)
      RegSetValueExA(key_, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&saved_),
                     sizeof saved_);
    else
      RegDeleteValueA(key_, "LogPixels");
    RegCloseKey(key_);
  }

 private:
  HKEY key_ = nullptr;
  DWORD saved_ = 0;
  bool had_ = false;
};

// Runs this test program again on one test; its exit code.
DWORD RunChild(const std::string& filter) {
  std::string command = "\"" + ModuleFileName() + "\" --gtest_also_run_disabled_tests --gtest_filter=" + filter;
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  si.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi))
    return 0xFFFFFFFF;
  WaitForSingleObject(pi.hProcess, 120000);
  DWORD code = 0xFFFFFFFF;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return code;
}

}  // namespace

TEST(ScaledLayout, AtTheSessionDpi) {
  HDC screen = GetDC(nullptr);
  EXPECT_EQ(ui::SystemDpi(), GetDeviceCaps(screen, LOGPIXELSY));
  ReleaseDC(nullptr, screen);
  ExpectScaledLayout();
}

TEST(ScaledLayout, At144DpiEverythingGrowsByHalf) {
  DesktopDpi dpi(144);
  SetEnvironmentVariableA(kExpectedDpiVariable, "144");
  DWORD code = RunChild("ScaledLayout.DISABLED_InAChildRun");
  SetEnvironmentVariableA(kExpectedDpiVariable, nullptr);
  EXPECT_EQ(code, 0u) << "the layout at 144 DPI failed (see the child's output above)";
}

// Run by the test above, in a process started at another DPI.
TEST(ScaledLayout, DISABLED_InAChildRun) {
  const char* expected = std::getenv(kExpectedDpiVariable);
  ASSERT_NE(expected, nullptr) << "only run from At144DpiEverythingGrowsByHalf";
  ASSERT_EQ(ui::SystemDpi(), std::atoi(expected));
  EXPECT_EQ(ui::Scale(100), 150);
  EXPECT_EQ(ui::Scale(-11), -17);
  ExpectScaledLayout();
}
