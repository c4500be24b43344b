#include "tests/sys_win/linux_link.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>

#include "sys/wide.h"

namespace {

std::string UnixPath(const std::string& path) {
  using ToUnix = char*(CDECL*)(LPCWSTR);
  const auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (!toUnix) return "";
  char* unix = toUnix(Widen(path).c_str());
  const std::string result = unix ? unix : "";
  HeapFree(GetProcessHeap(), 0, unix);
  return result;
}

bool Exists(const std::string& path) {
  return GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Wine starts a Linux program given by its Linux path; its handle may signal
// before the program is done, so wait for its effect.
bool RunLinux(std::string command, const std::function<bool()>& done) {
  STARTUPINFOA start = {};
  start.cb = sizeof start;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &start,
                      &process))
    return false;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  for (int waited = 0; waited < 10000; waited += 20) {
    if (done()) return true;
    Sleep(20);
  }
  return done();
}

}  // namespace

LinuxLink::LinuxLink(const std::string& link, const std::string& target)
    : link_(link), unixLink_(UnixPath(link)) {
  const std::string to = UnixPath(target);
  EXPECT_TRUE(
      !unixLink_.empty() && !to.empty() &&
      RunLinux("/bin/ln -s \"" + to + "\" \"" + unixLink_ + "\"", [&] { return Exists(link); }))
      << link << " -> " << target;
}

LinuxLink::~LinuxLink() {
  if (!unixLink_.empty())
    RunLinux("/bin/rm -f \"" + unixLink_ + "\"", [&] { return !Exists(link_); });
}
