#include "tests/e2e/e2e_support.h"

#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>

#include "sys/console_runner.h"
#include "sys/handle.h"
#include "sys/text.h"

namespace e2e {

using namespace std::chrono_literals;

const char kClientKey[] = "Software\\Corvaline";
const char kMixKey[] = "Software\\Mixmaster";
const char kSetupCaption[] = "Corvaline Setup";
const char kProduct[] = "Corvaline";
const char kStartHeading[] = "Destination Folder";
const char kAddressHeading[] = "E-Address & Mail Server";
const char kReviewHeading[] = "Review Setup";
const char kDoneHeading[] = "Installation complete!";

namespace {

// CMake passes the places relative to the test program's folder, with "/".
std::string FromProgramFolder(const char* relative) {
  std::string path = automation::ProgramFolder() + ReplaceAll(relative, "/", "\\");
  char full[MAX_PATH];
  DWORD n = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
  return n > 0 && n < MAX_PATH ? std::string(full, n) : path;
}

UniqueRegKey OpenKey(const std::string& key, REGSAM access, bool create) {
  UniqueRegKey k;
  LONG rc = create ? RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, access, nullptr,
                                     k.Receive(), nullptr)
                   : RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, access, k.Receive());
  if (rc != ERROR_SUCCESS) k.Release();
  return k;
}

struct ProcessEntry {
  DWORD pid, parent;
  std::string exe;
};

std::vector<ProcessEntry> Processes() {
  std::vector<ProcessEntry> list;
  UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return list;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL ok = Process32First(snapshot.Get(), &entry); ok; ok = Process32Next(snapshot.Get(), &entry))
    list.push_back({entry.th32ProcessID, entry.th32ParentProcessID, Lower(entry.szExeFile)});
  return list;
}

}  // namespace

std::string Lower(std::string text) {
  CharLowerBuffA(&text[0], static_cast<DWORD>(text.size()));
  return text;
}

std::string DistFolder() { return FromProgramFolder(CV_E2E_DIST); }
std::string CvdbPath() { return FromProgramFolder(CV_E2E_CVDB); }

bool KeyExists(const std::string& key) { return OpenKey(key, KEY_READ, false).Valid(); }

void DeleteKey(const std::string& key) {
  RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str());
  RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
}

void WriteString(const std::string& key, const std::string& name, const std::string& value) {
  UniqueRegKey k = OpenKey(key, KEY_WRITE, true);
  ASSERT_TRUE(k.Valid()) << key;
  ASSERT_EQ(RegSetValueExA(k.Get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                           static_cast<DWORD>(value.size() + 1)),
            ERROR_SUCCESS)
      << key << " " << name;
}

void WriteDword(const std::string& key, const std::string& name, DWORD value) {
  UniqueRegKey k = OpenKey(key, KEY_WRITE, true);
  ASSERT_TRUE(k.Valid()) << key;
  ASSERT_EQ(RegSetValueExA(k.Get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                           sizeof value),
            ERROR_SUCCESS)
      << key << " " << name;
}

RegValue ReadValue(const std::string& key, const std::string& name) {
  RegValue value;
  UniqueRegKey k = OpenKey(key, KEY_READ, false);
  if (!k) return value;
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(k.Get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
    return value;
  std::string data(size, '\0');
  if (RegQueryValueExA(k.Get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&data[0]), &size) !=
      ERROR_SUCCESS)
    return value;
  value.type = type;
  if (type == REG_DWORD && size == 4) {
    DWORD n = 0;
    memcpy(&n, data.data(), 4);
    value.text = std::to_string(n);
  } else {
    data.resize(size);
    while (!data.empty() && data.back() == '\0') data.pop_back();
    value.text = data;
  }
  return value;
}

Lines ValueNames(const std::string& key) {
  Lines names;
  UniqueRegKey k = OpenKey(key, KEY_READ, false);
  if (!k) return names;
  for (DWORD i = 0;; ++i) {
    char name[256];
    DWORD size = sizeof name;
    if (RegEnumValueA(k.Get(), i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.emplace_back(name, size);
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string ProgramsFolder() {
  char path[MAX_PATH] = "";
  if (FAILED(SHGetFolderPathA(nullptr, CSIDL_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, path))) return "";
  return path;
}

std::string GroupFolder() { return ProgramsFolder() + "\\" + kProduct; }

void RemoveTree(const std::string& folder) {
  WIN32_FIND_DATAA data;
  FindHandle find(FindFirstFileA((folder + "\\*").c_str(), &data));
  if (find) {
    do {
      std::string name = data.cFileName;
      if (name == "." || name == "..") continue;
      std::string full = folder + "\\" + name;
      SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(full);
      else
        DeleteFileA(full.c_str());
    } while (FindNextFileA(find.Get(), &data));
  }
  RemoveDirectoryA(folder.c_str());
}

bool FolderExists(const std::string& folder) {
  DWORD a = GetFileAttributesA(folder.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool FileExists(const std::string& file) {
  DWORD a = GetFileAttributesA(file.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

Lines Listing(const std::string& folder) {
  std::string f = folder;
  if (!f.empty() && f.back() != '\\') f += '\\';
  return FolderNames(f);
}

std::string FileContent(const std::string& path) { return ReadTextFile(path); }

Lines Cvdb(const std::vector<std::string>& args) {
  std::string command = "\"" + CvdbPath() + "\"";
  for (const std::string& a : args) command += " \"" + a + "\"";
  Lines output;
  uint32_t result = RunConsole(command, output, SW_HIDE, nullptr, nullptr);
  EXPECT_EQ(result & 0xFFFF, 0u) << command << " did not end";
  EXPECT_EQ(result >> 16, 0u) << command << " failed:\n" << LinesToText(output);
  return output;
}

std::vector<std::string> ChildProgramNames(DWORD pid) {
  std::vector<std::string> names;
  for (const ProcessEntry& p : Processes())
    if (p.parent == pid && p.pid != pid) names.push_back(p.exe);
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<DWORD> ChildProcessIds(DWORD pid, const std::string& name) {
  std::vector<DWORD> ids;
  for (const ProcessEntry& p : Processes())
    if (p.parent == pid && p.pid != pid && p.exe == Lower(name)) ids.push_back(p.pid);
  return ids;
}

void EndChildren(DWORD parentPid, const std::string& name) {
  for (const ProcessEntry& p : Processes()) {
    if (p.parent != parentPid || p.exe != Lower(name) || p.pid == 0) continue;
    UniqueHandle h(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, p.pid));
    if (!h) continue;
    TerminateProcess(h.Get(), 1);
    WaitForSingleObject(h.Get(), 5000);
  }
}

namespace {
void CleanSlate() {
  DeleteKey(kClientKey);
  DeleteKey(kMixKey);
  if (!ProgramsFolder().empty()) RemoveTree(GroupFolder());
}
}  // namespace

E2ETest::E2ETest() { CleanSlate(); }
E2ETest::~E2ETest() { CleanSlate(); }

Lines RowsOf(const Window& richText) {
  Lines rows = TextToLines(ReplaceAll(richText.Text(), "\r\n", "\n"));
  return rows;
}

// Wizards ------------------------------------------------------------------------

Wizard::Wizard(const std::string& exe, const std::string& args, const std::string& folder,
               const std::string& caption)
    : process_(Process::Start(exe, args, folder)), form_(process_.WaitForWindow(caption)) {}

Window Wizard::Button(const std::string& text) const { return form_.Get(automation::ButtonControl(text)); }

Window Wizard::Edit(const std::string& label) const { return form_.FieldOf(label); }

Window Wizard::Label(const std::string& text) const {
  return form_.Get(automation::StaticControl(text, Control::Match::Prefix));
}

void Wizard::WaitPage(const std::string& heading) const { Label(heading); }

void Wizard::Press(const std::string& button) const { automation::Click(Button(button)); }

MsgBox Wizard::Box(const std::string& text, const std::string& caption) const {
  MsgBox box = process_.WaitForMsgBox(text);
  EXPECT_EQ(box.Caption(), caption) << box.Describe();
  return box;
}

Window Wizard::WaitDialog() const {
  // Captioned like the product; neither wizard's own window is.
  return process_.WaitForWindow(kProduct);
}

void Wizard::ConfirmAndWait(const std::string& button, const std::string& question,
                            const std::string& heading) const {
  Press(button);
  Box(question).Answer(IDOK);
  automation::WaitGone(WaitDialog(), 20s);
  form_.Get(automation::StaticControl(heading, Control::Match::Prefix), 60s);
}

SetupWizard::SetupWizard() : Wizard(DistFolder() + "\\setup.exe", "", DistFolder(), kSetupCaption) {}

void SetupWizard::FillStart(const std::string& folder) const {
  WaitPage(kStartHeading);
  automation::Type(Edit("Destination Folder"), folder);
  Press("Next");
  WaitPage(kAddressHeading);
}

void SetupWizard::FillAddress(const std::string& address, const std::string& host) const {
  WaitPage(kAddressHeading);
  automation::Type(Edit("Your Address:"), address);
  automation::Type(Edit("SMTP Host:"), host);
  Press("Next");
  WaitPage(kReviewHeading);
}

void SetupWizard::Install() const {
  WaitPage(kReviewHeading);
  ConfirmAndWait("Install", "Install now?", kDoneHeading);
}

Lines SetupWizard::Summary() const { return RowsOf(Form().FieldOf("Setup Configuration", "RichEdit20A")); }

void SetupWizard::DontRunClient() const {
  const Window box = Button("Run Corvaline");
  automation::Click(box);
  automation::WaitUntil([&] { return !box.Checked(); }, 5s, "\"Run Corvaline\" unchecked");
}

Window SetupWizard::OpenedExplorer() {
  std::vector<DWORD> ids = ChildProcessIds(Program().Id(), "explorer.exe");
  if (ids.empty()) return Window();
  return automation::WaitForWindow(ids[0], kProduct);
}

void InstallAsUser(const std::string& dest, const std::string& address, const std::string& host) {
  SetupWizard setup;
  setup.FillStart(dest);
  setup.FillAddress(address, host);
  setup.Install();
  setup.DontRunClient();
  if (Window explorer = setup.OpenedExplorer()) {
    automation::Close(explorer);
    automation::WaitGone(explorer);
  }
  setup.Press("Exit");
  EXPECT_EQ(setup.Program().WaitExit(), 0u);
}

}  // namespace e2e
