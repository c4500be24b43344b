#include "tests/sys_win/scratch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>

#include "sys/module_path.h"
#include "sys/path.h"
#include "sys/wide.h"

// Paths are UTF-8 and reach the system through the wide functions: a session
// whose user or folders have names outside the code page works like another.
namespace {
// Independent of the code under test: a plain recursive removal.
void RemoveAll(const std::string& dir) {
  WIN32_FIND_DATAW data;
  HANDLE h = FindFirstFileW(Widen(dir + "*").c_str(), &data);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      std::string name = Narrow(data.cFileName);
      if (name == "." || name == "..") continue;
      // By the exact name: a plain "x." would reach "x".
      std::wstring full = Widen("\\\\?\\" + dir + name);
      SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
      // A link is never followed: its target is not ours.
      if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
          !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        RemoveAll(dir + name + "\\");
      else
        DeleteFileW(full.c_str());
    } while (FindNextFileW(h, &data));
    FindClose(h);
  }
  RemoveDirectoryW(Widen("\\\\?\\" + dir).c_str());
}

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

std::string TempFolder() {
  wchar_t buffer[MAX_PATH + 1];
  DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
  return Narrow(buffer, n);
}
}  // namespace

LinuxLink::LinuxLink(const std::string& link, const std::string& target)
    : link_(link), unixLink_(UnixPath(link)) {
  const std::string to = UnixPath(target);
  EXPECT_TRUE(!unixLink_.empty() && !to.empty() &&
              RunLinux("/bin/ln -s \"" + to + "\" \"" + unixLink_ + "\"", [&] { return Exists(link); }))
      << link << " -> " << target;
}

LinuxLink::~LinuxLink() {
  if (!unixLink_.empty()) RunLinux("/bin/rm -f \"" + unixLink_ + "\"", [&] { return !Exists(link_); });
}

ScratchDir::ScratchDir(const std::string& name) {
  static std::atomic<int> counter{0};
  path_ = TempFolder() + "cvsys_" + name + "_" + std::to_string(GetCurrentProcessId()) + "_" +
          std::to_string(counter++) + "\\";
  RemoveAll(path_);
  MakeDir(path_);
}

ScratchDir::~ScratchDir() { RemoveAll(path_); }

void WriteTextFile(const std::string& path, const std::string& content) {
  HANDLE f = CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(f, INVALID_HANDLE_VALUE) << path;
  DWORD n = 0;
  WriteFile(f, content.data(), static_cast<DWORD>(content.size()), &n, nullptr);
  CloseHandle(f);
  ASSERT_EQ(n, content.size());
}

std::string ReadTextFile(const std::string& path) {
  HANDLE f = CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return "<missing>";
  std::string content;
  char buffer[65536];
  DWORD n = 0;
  while (ReadFile(f, buffer, sizeof buffer, &n, nullptr) && n > 0) content.append(buffer, n);
  CloseHandle(f);
  return content;
}

Lines FolderNames(const std::string& folder) {
  Lines names;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(Widen(folder + "*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    std::string name = Narrow(data.cFileName);
    if (name == "." || name == "..") continue;
    names.push_back(name + ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? "\\" : ""));
  } while (FindNextFileW(find, &data));
  FindClose(find);
  std::sort(names.begin(), names.end());
  return names;
}

void MakeDir(const std::string& path) {
  ASSERT_TRUE(CreateDirectoryW(Widen(path).c_str(), nullptr)) << path;
}

std::string TestProgramDir() { return ExtractFilePath(ModuleFileName()); }

std::string ChildCommand(const std::string& arguments) {
  return "\"" + TestProgramDir() + "sys_console_child.exe\" " + arguments;
}
