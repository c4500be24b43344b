#include "tests/ui/form_test_support.h"

#include <gtest/gtest.h>

#include <richedit.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

namespace formtest {

namespace {

// Outside any script a message box is a fault of the test or of the code: it
// would wait forever for a click under Xvfb.
int UnexpectedBox(const ui::MsgBoxRequest& request) {
  ADD_FAILURE() << "unexpected message box \"" << request.caption << "\": " << request.text;
  return RefusingAnswer(request.type);
}

std::map<UINT_PTR, std::function<void()>>& Pending() {
  static std::map<UINT_PTR, std::function<void()>> pending;
  return pending;
}

void CALLBACK RunPending(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  auto it = Pending().find(id);
  if (it == Pending().end()) return;
  std::function<void()> action = std::move(it->second);
  Pending().erase(it);
  action();
}

class ToolkitEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    ui::Application::Initialize();
    ui::SetMsgBoxHook(UnexpectedBox);
  }
};

// A fault can leave a modal loop waiting for a click that never comes: a test
// still running after a minute ends the program with a message, rather than
// waiting for the runner's much later time-out.
constexpr DWORD kTestTimeLimitMs = 60000;

void CALLBACK TestOverran(PVOID name, BOOLEAN) {
  std::fprintf(stderr, "\n%s did not finish within %lu s (a modal loop left waiting?)\n",
               static_cast<const char*>(name), kTestTimeLimitMs / 1000);
  std::fflush(stderr);
  TerminateProcess(GetCurrentProcess(), 3);
}

// Whatever a test left behind must not act in the next one.
class Cleanup : public ::testing::EmptyTestEventListener {
 public:
  void OnTestStart(const ::testing::TestInfo& test) override {
    name_ = std::string(test.test_suite_name()) + "." + test.name();
    CreateTimerQueueTimer(&watchdog_, nullptr, TestOverran, const_cast<char*>(name_.c_str()),
                          kTestTimeLimitMs, 0, WT_EXECUTEONLYONCE);
  }
  void OnTestEnd(const ::testing::TestInfo&) override {
    if (watchdog_) DeleteTimerQueueTimer(nullptr, watchdog_, INVALID_HANDLE_VALUE);
    watchdog_ = nullptr;
    CancelPendingActions();
    ui::SetMsgBoxHook(UnexpectedBox);
  }

 private:
  std::string name_;
  HANDLE watchdog_ = nullptr;
};

[[maybe_unused]] const bool registered = [] {
  ::testing::AddGlobalTestEnvironment(new ToolkitEnvironment);
  ::testing::UnitTest::GetInstance()->listeners().Append(new Cleanup);
  return true;
}();

}  // namespace

int RefusingAnswer(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_YESNO: return IDNO;
    case MB_OK: return IDOK;
    default: return IDCANCEL;
  }
}

MsgBoxScript::MsgBoxScript() {
  ui::SetMsgBoxHook([this](const ui::MsgBoxRequest& request) { return Answer(request); });
}

MsgBoxScript::~MsgBoxScript() { ui::SetMsgBoxHook(UnexpectedBox); }

MsgBoxScript& MsgBoxScript::Then(int answer) {
  answers_.push_back(answer);
  return *this;
}

int MsgBoxScript::Answer(const ui::MsgBoxRequest& request) {
  shown_.push_back(request);
  if (look_) look_(request);
  if (!answers_.empty()) {
    int answer = answers_.front();
    answers_.pop_front();
    return answer;
  }
  if ((request.type & MB_TYPEMASK) != MB_OK)
    ADD_FAILURE() << "unscripted question \"" << request.caption << "\": " << request.text;
  return RefusingAnswer(request.type);
}

void RunLater(UINT delayMs, std::function<void()> action) {
  UINT_PTR id = SetTimer(nullptr, 0, delayMs, RunPending);
  ASSERT_NE(id, 0u);
  Pending()[id] = std::move(action);
}

void CancelPendingActions() {
  for (auto& entry : Pending()) KillTimer(nullptr, entry.first);
  Pending().clear();
}

void Pump(DWORD ms) {
  PumpUntil([] { return false; }, ms);
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start >= timeoutMs) return done();
    ui::Application::ProcessMessages();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return true;
}

void PressKey(HWND window, WPARAM key) {
  UINT scan = MapVirtualKeyA(static_cast<UINT>(key), MAPVK_VK_TO_VSC);
  PostMessageA(window, WM_KEYDOWN, key, 1 | (scan << 16));
  PostMessageA(window, WM_KEYUP, key, 1 | (scan << 16) | (1u << 30) | (1u << 31));
}

COLORREF RichTextColor(HWND richText) {
  SendMessageA(richText, EM_SETSEL, 0, -1);
  CHARFORMAT2A format = {};
  format.cbSize = sizeof format;
  format.dwMask = CFM_COLOR;
  SendMessageA(richText, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
  return format.crTextColor;
}

bool ShowsWhole(HWND richText) {
  // The control's own text, one CR a paragraph, so that positions match.
  GETTEXTLENGTHEX lengthOf = {GTL_NUMCHARS, CP_ACP};
  const LRESULT length = SendMessageA(richText, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&lengthOf), 0);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  GETTEXTEX get = {static_cast<DWORD>(text.size()), GT_DEFAULT, CP_ACP, nullptr, nullptr};
  text.resize(static_cast<size_t>(
      SendMessageA(richText, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&get), reinterpret_cast<LPARAM>(&text[0]))));
  RECT client;
  GetClientRect(richText, &client);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == ' ' || text[i] == '\r' || text[i] == '\n') continue;  // nothing to read
    POINTL at = {-1, -1};
    SendMessageA(richText, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&at), static_cast<LPARAM>(i));
    if (at.x < 0 || at.y < 0 || at.x >= client.right || at.y >= client.bottom) return false;
  }
  return true;
}

void PressAlt(HWND window, char letter) {
  PostMessageA(window, WM_SYSCHAR, static_cast<unsigned char>(letter), 1u << 29);
}

namespace {
struct FindRequest {
  const std::string* caption;
  HWND found;
};

BOOL CALLBACK MatchCaption(HWND window, LPARAM lp) {
  auto* request = reinterpret_cast<FindRequest*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid != GetCurrentProcessId() || !IsWindowVisible(window)) return TRUE;
  char text[512] = "";
  GetWindowTextA(window, text, sizeof text);
  if (*request->caption != text) return TRUE;
  request->found = window;
  return FALSE;
}
}  // namespace

HWND FindOwnWindow(const std::string& caption) {
  FindRequest request{&caption, nullptr};
  EnumWindows(MatchCaption, reinterpret_cast<LPARAM>(&request));
  return request.found;
}

namespace {
const char kDesktopKey[] = "Control Panel\\Desktop";
const char kChildDpiVariable[] = "CV_CHILD_DPI";

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
  DesktopDpi(const DesktopDpi&) = delete;
  DesktopDpi& operator=(const DesktopDpi&) = delete;

 private:
  HKEY key_ = nullptr;
  DWORD saved_ = 0;
  bool had_ = false;
};
}  // namespace

DWORD RunAtDpi(DWORD dpi, const std::string& filter) {
  DesktopDpi setting(dpi);
  char self[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, self, sizeof self);
  std::string command = std::string("\"") + self + "\" --gtest_also_run_disabled_tests --gtest_filter=" + filter;
  SetEnvironmentVariableA(kChildDpiVariable, std::to_string(dpi).c_str());
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  si.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION pi = {};
  const BOOL started =
      CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
  SetEnvironmentVariableA(kChildDpiVariable, nullptr);
  if (!started) return 0xFFFFFFFF;
  WaitForSingleObject(pi.hProcess, 120000);
  DWORD code = 0xFFFFFFFF;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return code;
}

int ChildDpi() {
  char value[16] = "";
  return GetEnvironmentVariableA(kChildDpiVariable, value, sizeof value) ? std::atoi(value) : 0;
}

CurrentDirGuard::CurrentDirGuard() {
  char buffer[MAX_PATH + 1] = "";
  GetCurrentDirectoryA(sizeof buffer, buffer);
  saved_ = buffer;
}

CurrentDirGuard::~CurrentDirGuard() { SetCurrentDirectoryA(saved_.c_str()); }

}  // namespace formtest
