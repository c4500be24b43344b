#include "tests/setup/setup_fixture.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include <shlobj.h>

#include "db/FileMan1.h"

const char kClientKey[] = "Software\\Corvaline";
const char kMixKey[] = "Software\\Mixmaster";
const char kAppsEntryKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Corvaline";
const char kVersion[] = "0.9b0";

void DeleteKey(const char* key) { RegDeleteTreeA(HKEY_CURRENT_USER, key); }

bool KeyExists(const char* key) {
  HKEY open = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_READ, &open) != ERROR_SUCCESS) return false;
  RegCloseKey(open);
  return true;
}

std::string GroupFolder() {
  char programs[MAX_PATH] = "";
  SHGetFolderPathA(nullptr, CSIDL_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, programs);
  return std::string(programs) + "\\Corvaline\\";
}

void SetFileSize(const std::string& path, uint64_t size) {
  HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  LARGE_INTEGER at;
  at.QuadPart = static_cast<LONGLONG>(size);
  EXPECT_TRUE(f != INVALID_HANDLE_VALUE && SetFilePointerEx(f, at, nullptr, FILE_BEGIN) &&
              SetEndOfFile(f))
      << path;
  if (f != INVALID_HANDLE_VALUE) CloseHandle(f);
}

std::string JournalPath() {
  char local[MAX_PATH] = "";
  SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, local);
  return std::string(local) + "\\Corvaline Setup\\install.journal";
}

namespace {
void RemoveFolder(const std::string& folder) {
  for (const std::string& name : FolderNames(folder)) DeleteFileA((folder + name).c_str());
  RemoveDirectoryA(folder.c_str());
}
void RemoveGroupFolder() { RemoveFolder(GroupFolder()); }
void RemoveJournals() {
  const std::string journal = JournalPath();
  RemoveFolder(journal.substr(0, journal.rfind('\\') + 1));
}
}  // namespace

SetupTest::SetupTest() {
  DeleteKey(kAppsEntryKey);
  DeleteKey(kClientKey);
  DeleteKey(kMixKey);
  RemoveGroupFolder();
  RemoveJournals();
  EXPECT_TRUE(SetCurrentDirectoryA(dist.Path().c_str()));
}

SetupTest::~SetupTest() {
  // An install step that went wrong may have opened one; left open, it would
  // outlive the test and hold the runner's output pipe.
  CloseExplorerWindows();
  DeleteKey(kAppsEntryKey);
  DeleteKey(kClientKey);
  DeleteKey(kMixKey);
  RemoveGroupFolder();
  RemoveJournals();
}

void SetupTest::MakeDistribution() {
  // The stand-in client leaves a mark where it was started.
  ASSERT_TRUE(CopyFileA((TestProgramDir() + "setup_marker_child.exe").c_str(),
                        (dist / "CV.exe").c_str(), FALSE));
  WriteTextFile(dist / "setup.exe", "MZ the setup program");
  WriteTextFile(dist / "License.txt", "licence");
  WriteTextFile(dist / "ReadMe.txt", "read me");
  WriteTextFile(dist / "QuickStart.rtf", "{\\rtf1 quick}");
  ASSERT_EQ(SetInitValue("Version", kVersion, dist / "CV.ini"), 0);
  MakeDir(dist / "docs");
  WriteTextFile(dist / "docs\\manual.txt", "not copied");
}

void SetupTest::WriteClientKey(const std::string& appDir, const std::string& group,
                               const std::string& version) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kClientKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(key, "AppDir", 0, REG_SZ, reinterpret_cast<const BYTE*>(appDir.c_str()),
                 static_cast<DWORD>(appDir.size() + 1));
  RegSetValueExA(key, "Program Group", 0, REG_SZ, reinterpret_cast<const BYTE*>(group.c_str()),
                 static_cast<DWORD>(group.size() + 1));
  if (!version.empty())
    RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version.c_str()),
                   static_cast<DWORD>(version.size() + 1));
  RegCloseKey(key);
}

InstallChoices SetupTest::Choices(const std::string& folder) const {
  InstallChoices choices;
  choices.source = dist.Path();
  choices.folder = folder;
  choices.address = "Jane Doe <jane@example.com>";
  choices.host = "smtp.example.com";
  return choices;
}

SetupTest::Installed SetupTest::Install(const InstallChoices& choices) {
  Installed installed;
  installed.plan = PlanInstall(choices);
  if (installed.plan.problem == PlanProblem::None)
    installed.outcome = RunInstall(installed.plan, [&](const std::string& line) { installed.log.push_back(line); });
  return installed;
}

RegValue ReadClientValue(const std::string& name) {
  RegValue value;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kClientKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return value;
  BYTE data[1024] = {};
  DWORD size = sizeof data - 1;
  if (RegQueryValueExA(key, name.c_str(), nullptr, &value.type, data, &size) == ERROR_SUCCESS) {
    if (value.type == REG_DWORD)
      value.text = std::to_string(*reinterpret_cast<DWORD*>(data));
    else
      value.text = reinterpret_cast<char*>(data);
  }
  RegCloseKey(key);
  return value;
}

DWORD ClientValueCount() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kClientKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
  DWORD values = 0;
  RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr,
                   nullptr, nullptr, nullptr);
  RegCloseKey(key);
  return values;
}

Lines ShownLines(HWND richText) {
  int n = GetWindowTextLengthA(richText);
  std::string text(static_cast<size_t>(n) + 1, '\0');
  text.resize(static_cast<size_t>(GetWindowTextA(richText, &text[0], n + 1)));
  Lines lines;
  std::string line;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      lines.push_back(line);
      line.clear();
    } else {
      line += text[i];
    }
  }
  if (!line.empty() || !text.empty()) lines.push_back(line);
  return lines;
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}



namespace {
BOOL CALLBACK CollectExplorer(HWND window, LPARAM lp) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  char cls[64] = "";
  GetClassNameA(window, cls, sizeof cls);
  if (pid != GetCurrentProcessId() && IsWindowVisible(window) &&
      (std::string(cls) == "ExplorerWClass" || std::string(cls) == "CabinetWClass"))
    reinterpret_cast<std::vector<HWND>*>(lp)->push_back(window);
  return TRUE;
}

std::vector<HWND> ExplorerWindows() {
  std::vector<HWND> windows;
  EnumWindows(CollectExplorer, reinterpret_cast<LPARAM>(&windows));
  return windows;
}
}  // namespace

int CloseExplorerWindows() {
  std::vector<HWND> windows = ExplorerWindows();
  for (HWND window : windows) PostMessageA(window, WM_CLOSE, 0, 0);
  formtest::PumpUntil([] { return ExplorerWindows().empty(); }, 5000);
  return static_cast<int>(windows.size());
}

std::string WaitForExplorerWindow(DWORD timeoutMs) {
  if (!formtest::PumpUntil([] { return !ExplorerWindows().empty(); }, timeoutMs)) return "";
  char caption[512] = "";
  GetWindowTextA(ExplorerWindows().front(), caption, sizeof caption);
  return caption;
}
