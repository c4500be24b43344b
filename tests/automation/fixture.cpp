// A small GUI program for the automation library's own tests: buttons, an
// edit, a check box, two pages, a message box, a second modal window, keys,
// a system-menu item and a red square for the screenshots.
//   fixture [--exit-code=N] [--spawn] [--no-window] [other arguments shown]
#include <windows.h>

#include <string>

#include "sys/handle.h"

namespace {

enum : int {
  kClicks = 101, kApply, kDisabled, kNameLabel, kName, kEcho, kRemember, kAsk, kAnswer, kModal,
  kPageSwitch, kKey, kArgs, kDir, kReadOnly, kChild, kPageEdit, kList, kListChoice, kDrives, kDrive
};
constexpr UINT kAboutCommand = 4096;
const RECT kRedSquare{300, 10, 340, 50};

HINSTANCE instance;
HWND mainWindow;
HWND pages[2];
int exitCode = 0;
bool modalOpen = false;

HWND Add(HWND parent, const char* cls, const char* text, DWORD style, int x, int y, int w, int h, int id) {
  return CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
}

void SetText(int id, const std::string& text) { SetDlgItemTextA(mainWindow, id, text.c_str()); }

std::string TextOf(HWND hwnd) {
  std::string text(GetWindowTextLengthA(hwnd) + 1, '\0');
  text.resize(GetWindowTextA(hwnd, &text[0], static_cast<int>(text.size())));
  return text;
}

LRESULT CALLBACK ModalProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_COMMAND && LOWORD(wp) == IDOK) DestroyWindow(hwnd);
  if (msg == WM_DESTROY) modalOpen = false;
  return DefWindowProcA(hwnd, msg, wp, lp);
}

// A second window, modal the way forms are: the owner is disabled meanwhile.
void RunModal() {
  HWND modal = CreateWindowExA(WS_EX_DLGMODALFRAME, "CvFixtureModal", "Fixture Modal",
                               WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 150, 150, 220, 120,
                               mainWindow, nullptr, instance, nullptr);
  Add(modal, "BUTTON", "Close", BS_PUSHBUTTON, 60, 40, 80, 25, IDOK);
  EnableWindow(mainWindow, FALSE);
  modalOpen = true;
  MSG m;
  while (modalOpen && GetMessageA(&m, nullptr, 0, 0) > 0) {
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
  EnableWindow(mainWindow, TRUE);
  SetText(kAnswer, "Answer: Modal closed");
}

void Command(int id, int code, HWND control) {
  static int clicks = 0;
  switch (id) {
    case kApply:
      SetText(kClicks, "Clicks: " + std::to_string(++clicks));
      break;
    case kName:
      if (code == EN_CHANGE) SetText(kEcho, "Echo: " + TextOf(control));
      break;
    case kAsk: {
      int answer = MessageBoxA(mainWindow, "Proceed with the test?", "Fixture Question", MB_YESNOCANCEL);
      SetText(kAnswer, answer == IDYES ? "Answer: Yes" : answer == IDNO ? "Answer: No" : "Answer: Cancel");
      break;
    }
    case kModal:
      RunModal();
      break;
    case kPageSwitch: {
      bool first = IsWindowVisible(pages[0]) != FALSE;
      ShowWindow(pages[0], first ? SW_HIDE : SW_SHOW);
      ShowWindow(pages[1], first ? SW_SHOW : SW_HIDE);
      break;
    }
    case kList:
      if (code == LBN_SELCHANGE || code == LBN_DBLCLK) {
        LRESULT i = SendMessageA(control, LB_GETCURSEL, 0, 0);
        char item[64] = "";
        SendMessageA(control, LB_GETTEXT, i, reinterpret_cast<LPARAM>(item));
        SetText(kListChoice, std::string(code == LBN_DBLCLK ? "List: opened " : "List: chose ") + item);
      }
      break;
    case kDrives:
      if (code == CBN_SELCHANGE) SetText(kDrive, "Drive: " + TextOf(control));
      break;
    case IDOK:
      SetText(kKey, "Key: Enter");
      break;
    case IDCANCEL:
      SetText(kKey, "Key: Escape");
      break;
  }
}

LRESULT CALLBACK MainProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      Command(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp));
      return 0;
    case WM_SYSCOMMAND:
      if (wp == kAboutCommand) {
        MessageBoxA(hwnd, "Automation Fixture 1.0", "About...", MB_OK);
        return 0;
      }
      break;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      SetDCBrushColor(dc, RGB(255, 0, 0));
      FillRect(dc, &kRedSquare, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(exitCode);
      return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

void Register(const char* name, WNDPROC proc) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = name;
  RegisterClassA(&wc);
}

// Starts a copy of this program that shows nothing and never ends.
DWORD SpawnChild() {
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string commandLine = std::string("\"") + self + "\" --no-window";
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return 0;
  UniqueHandle thread(pi.hThread);
  UniqueHandle process(pi.hProcess);
  return pi.dwProcessId;
}

void CreateControls(const std::string& args, bool spawn) {
  Add(mainWindow, "STATIC", "Clicks: 0", 0, 10, 10, 120, 16, kClicks);
  Add(mainWindow, "BUTTON", "&Apply", BS_PUSHBUTTON, 140, 8, 70, 22, kApply);
  EnableWindow(Add(mainWindow, "BUTTON", "Disabled", BS_PUSHBUTTON, 220, 8, 70, 22, kDisabled), FALSE);
  Add(mainWindow, "STATIC", "&Name:", 0, 10, 40, 100, 16, kNameLabel);
  Add(mainWindow, "EDIT", "", WS_BORDER | ES_AUTOHSCROLL, 10, 56, 200, 21, kName);
  Add(mainWindow, "STATIC", "Echo: ", SS_NOPREFIX, 220, 58, 170, 16, kEcho);
  Add(mainWindow, "BUTTON", "&Remember me", BS_AUTOCHECKBOX, 10, 84, 120, 17, kRemember);
  Add(mainWindow, "BUTTON", "&Ask", BS_PUSHBUTTON, 10, 108, 60, 22, kAsk);
  Add(mainWindow, "BUTTON", "&Modal", BS_PUSHBUTTON, 80, 108, 60, 22, kModal);
  Add(mainWindow, "BUTTON", "&Page 2", BS_PUSHBUTTON, 150, 108, 60, 22, kPageSwitch);
  Add(mainWindow, "STATIC", "Answer: none", 0, 220, 112, 170, 16, kAnswer);
  Add(mainWindow, "STATIC", "Key: none", 0, 10, 138, 120, 16, kKey);
  Add(mainWindow, "EDIT", "fixed", WS_BORDER | ES_READONLY, 140, 136, 100, 21, kReadOnly);
  Add(mainWindow, "STATIC", ("Args: " + args).c_str(), SS_NOPREFIX, 10, 162, 380, 16, kArgs);
  char dir[MAX_PATH] = "";
  GetCurrentDirectoryA(MAX_PATH, dir);
  Add(mainWindow, "STATIC", (std::string("Dir: ") + dir).c_str(), SS_NOPREFIX, 10, 180, 380, 16, kDir);
  std::string child = spawn ? "Child: " + std::to_string(SpawnChild()) : "Child: none";
  Add(mainWindow, "STATIC", child.c_str(), 0, 10, 198, 200, 16, kChild);
  // More items than the list shows at once.
  HWND list = Add(mainWindow, "LISTBOX", "", WS_BORDER | WS_VSCROLL | LBS_NOTIFY, 420, 10, 120, 70, kList);
  for (const char* item : {"alpha", "beta", "gamma", "delta", "epsilon", "zeta", "  eta", "theta", "iota"})
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
  Add(mainWindow, "STATIC", "List: none", SS_NOPREFIX, 420, 84, 130, 16, kListChoice);
  HWND drives = Add(mainWindow, "COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL, 420, 110, 120, 120, kDrives);
  for (const char* item : {"[-a-]", "[-c-]", "[-d-]", "[-z-]"})
    SendMessageA(drives, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
  SendMessageA(drives, CB_SETCURSEL, 1, 0);
  Add(mainWindow, "STATIC", "Drive: [-c-]", SS_NOPREFIX, 420, 140, 130, 16, kDrive);
  // Two pages in one place; only one is shown at a time.
  const char* titles[2] = {"First page", "Second page"};
  for (int i = 0; i < 2; ++i) {
    pages[i] = CreateWindowExA(WS_EX_CONTROLPARENT, "CvFixturePage", "", WS_CHILD | (i == 0 ? WS_VISIBLE : 0),
                               10, 220, 380, 60, mainWindow, nullptr, instance, nullptr);
    Add(pages[i], "STATIC", titles[i], 0, 0, 0, 120, 16, 0);
    Add(pages[i], "EDIT", titles[i], WS_BORDER, 0, 20, 150, 21, kPageEdit);
  }
}

std::string ArgumentsOf(const char* commandLine) {
  std::string line = commandLine;
  // Skip the program's own name, quoted or not.
  size_t start = line[0] == '"' ? line.find('"', 1) : line.find(' ');
  if (start == std::string::npos) return std::string();
  start = line.find_first_not_of(' ', start + 1);
  return start == std::string::npos ? std::string() : line.substr(start);
}

}  // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int show) {
  instance = hInstance;
  std::string args = ArgumentsOf(GetCommandLineA());
  if (args.find("--no-window") != std::string::npos) {
    Sleep(INFINITE);
    return 0;
  }
  size_t code = args.find("--exit-code=");
  if (code != std::string::npos) exitCode = std::atoi(args.c_str() + code + 12);

  Register("CvFixture", MainProc);
  Register("CvFixtureModal", ModalProc);
  Register("CvFixturePage", DefWindowProcA);
  mainWindow = CreateWindowExA(WS_EX_CONTROLPARENT, "CvFixture", "Automation Fixture",
                               WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 100, 100, 570, 330, nullptr, nullptr,
                               instance, nullptr);
  HMENU menu = GetSystemMenu(mainWindow, FALSE);
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING, kAboutCommand, "About Fixture...");
  CreateControls(args, args.find("--spawn") != std::string::npos);
  ShowWindow(mainWindow, show);

  MSG m;
  while (GetMessageA(&m, nullptr, 0, 0) > 0) {
    // Enter and Escape arrive as IDOK and IDCANCEL, as in a dialog.
    if (IsDialogMessageA(mainWindow, &m)) continue;
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
  return static_cast<int>(m.wParam);
}
