#include <windows.h>

#include "sys/error_text.h"
#include "sys/handle.h"
#include "sys/wide.h"

std::string SystemErrorText(uint32_t code) {
  wchar_t* text = nullptr;
  DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<wchar_t*>(&text), 0,
      nullptr);
  LocalMemory owner(text);
  return n && text ? Narrow(text, n) : std::string();
}

std::string LastErrorText() {
  // Read the code before anything else can overwrite it.
  DWORD code = GetLastError();
  return SystemErrorText(code);
}
