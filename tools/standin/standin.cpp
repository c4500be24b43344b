// CV.exe of the sample distribution: a window in place of the Corvaline client,
// so that starting the installed client can be seen and tested. It shows its
// command line and its current folder, which the installer chooses, and holds
// the database there (CV.dbc) open as the client does while it runs.
#include <windows.h>

#include <string>

namespace {

constexpr int kMessageId = 100;
constexpr int kCommandLineId = 101;
constexpr int kFolderId = 102;

HFONT Font() { return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

void AddControl(HWND parent, const char* cls, const std::string& text, DWORD style, int y, int height, int id) {
  HWND control = CreateWindowExA(0, cls, text.c_str(), WS_CHILD | WS_VISIBLE | style, 16, y,
                                 id == IDOK ? 75 : 408, height, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
  SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), FALSE);
}

std::string CurrentFolder() {
  char folder[MAX_PATH + 1] = "";
  DWORD n = GetCurrentDirectoryA(sizeof folder, folder);
  return n < sizeof folder ? std::string(folder, n) : std::string();
}

void CreateControls(HWND window) {
  AddControl(window, "STATIC",
             "This program stands in for the Corvaline client in the sample distribution; "
             "the real client would open its main window here.",
             SS_NOPREFIX, 16, 32, kMessageId);
  AddControl(window, "STATIC", std::string("Command line: ") + GetCommandLineA(), SS_NOPREFIX, 56, 32,
             kCommandLineId);
  AddControl(window, "STATIC", "Current folder: " + CurrentFolder(), SS_NOPREFIX, 96, 32, kFolderId);
  AddControl(window, "BUTTON", "&Close", BS_DEFPUSHBUTTON | WS_TABSTOP, 136, 25, IDOK);
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  // Share mode 0: no other program may open the database meanwhile.
  HANDLE database = CreateFileA("CV.dbc", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
  WNDCLASSA wc{};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = "CorvalineStandIn";
  if (!RegisterClassA(&wc)) return 1;

  RECT frame{0, 0, 440, 177};
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  AdjustWindowRect(&frame, style, FALSE);
  HWND window = CreateWindowExA(WS_EX_CONTROLPARENT, wc.lpszClassName, "Corvaline", style, CW_USEDEFAULT,
                                CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top, nullptr,
                                nullptr, instance, nullptr);
  if (!window) return 1;
  CreateControls(window);
  ShowWindow(window, show);

  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    // Enter and Escape close it, as in a dialog.
    if (IsDialogMessageA(window, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  if (database != INVALID_HANDLE_VALUE) CloseHandle(database);
  return static_cast<int>(msg.wParam);
}
