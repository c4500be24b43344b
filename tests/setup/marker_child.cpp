// Stands in for the installed client: leaves "started.txt" in the folder it
// was started in, holding its own full file name, and ends.
#include <windows.h>

int main() {
  char self[MAX_PATH] = "";
  DWORD n = GetModuleFileNameA(nullptr, self, sizeof self);
  HANDLE mark = CreateFileA("started.txt", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (mark == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  WriteFile(mark, self, n, &written, nullptr);
  CloseHandle(mark);
  return 0;
}
