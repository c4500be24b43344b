#include <windows.h>

#include "sys/message_pump.h"

namespace {
MessageFilter g_filter = nullptr;
}  // namespace

void SetMessageFilter(MessageFilter filter) { g_filter = filter; }

void ProcessMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // Swallowing it here would leave the application unable to end.
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    if (g_filter && g_filter(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}
