#include "tests/sys_win/scratch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>

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

std::string TempFolder() {
  wchar_t buffer[MAX_PATH + 1];
  DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
  return Narrow(buffer, n);
}
}  // namespace

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
