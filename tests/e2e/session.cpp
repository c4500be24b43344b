#include "tests/e2e/session.h"

#include <shlobj.h>
#include <tlhelp32.h>

#include "sys/handle.h"
#include "sys/text.h"
#include "sys/wide.h"

namespace e2e {

using namespace std::chrono_literals;
using automation::Failure;

const char kClientKey[] = "Software\\Corvaline";
const char kMixKey[] = "Software\\Mixmaster";
const char kAppsEntryKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Corvaline";
const char kSetupCaption[] = "Corvaline Setup";
const char kProduct[] = "Corvaline";
const char kStartHeading[] = "Destination Folder";
const char kAddressHeading[] = "E-Address & Mail Server";
const char kReviewHeading[] = "Review Setup";
const char kDoneHeading[] = "Installation complete!";

namespace {

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
  std::wstring wide = Widen(text);
  CharLowerBuffW(&wide[0], static_cast<DWORD>(wide.size()));
  return Narrow(wide);
}

bool KeyExists(const std::string& key) {
  UniqueRegKey k;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, k.Receive()) == ERROR_SUCCESS) return true;
  k.Release();  // left untouched on failure: nothing to close
  return false;
}

void DeleteKey(const std::string& key) {
  RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str());
  RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
}

std::string ProgramsFolder() {
  wchar_t path[MAX_PATH] = L"";
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, path))) return "";
  return Narrow(path);
}

std::string GroupFolder() { return ProgramsFolder() + "\\" + kProduct; }

void RemoveTree(const std::string& folder) {
  WIN32_FIND_DATAW data;
  FindHandle find(FindFirstFileW(Widen(folder + "\\*").c_str(), &data));
  if (find) {
    do {
      std::string name = Narrow(data.cFileName);
      if (name == "." || name == "..") continue;
      std::string full = folder + "\\" + name;
      SetFileAttributesW(Widen(full).c_str(), FILE_ATTRIBUTE_NORMAL);
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(full);
      else
        DeleteFileW(Widen(full).c_str());
    } while (FindNextFileW(find.Get(), &data));
  }
  RemoveDirectoryW(Widen(folder).c_str());
}

bool FolderExists(const std::string& folder) {
  DWORD a = GetFileAttributesW(Widen(folder).c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool FileExists(const std::string& file) {
  DWORD a = GetFileAttributesW(Widen(file).c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

void CleanSlate() {
  DeleteKey(kClientKey);
  DeleteKey(kMixKey);
  DeleteKey(kAppsEntryKey);
  if (!ProgramsFolder().empty()) RemoveTree(GroupFolder());
}

std::vector<DWORD> ChildProcessIds(DWORD pid, const std::string& name) {
  std::vector<DWORD> ids;
  for (const ProcessEntry& p : Processes())
    if (p.parent == pid && p.pid != pid && p.exe == Lower(name)) ids.push_back(p.pid);
  return ids;
}

Lines RowsOf(const Window& control) { return TextToLines(ReplaceAll(control.Text(), "\r\n", "\n")); }

// Wizards ------------------------------------------------------------------------

Wizard::Wizard(const std::string& exe, const std::string& args, const std::string& folder,
               const std::string& caption)
    : Wizard(Process::Start(exe, args, folder), caption) {}

Wizard::Wizard(Process started, const std::string& caption)
    : process_(std::move(started)), form_(process_.WaitForWindow(caption)) {}

Window Wizard::Button(const std::string& text) const { return form_.Get(automation::ButtonControl(text)); }

Window Wizard::Edit(const std::string& label) const { return form_.FieldOf(label); }

Window Wizard::Label(const std::string& text) const {
  return form_.Get(automation::StaticControl(text, Control::Match::Prefix));
}

void Wizard::WaitPage(const std::string& heading) const { Label(heading); }

void Wizard::Press(const std::string& button) const { automation::Click(Button(button)); }

MsgBox Wizard::Box(const std::string& text, const std::string& caption) const {
  MsgBox box = process_.WaitForMsgBox(text);
  if (box.Caption() != caption) throw Failure("expected the caption \"" + caption + "\": " + box.Describe());
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

void Wizard::Uncheck(const std::string& box) const {
  const Window button = Button(box);
  automation::Click(button);
  automation::WaitUntil([&] { return !button.Checked(); }, 5s, "\"" + box + "\" unchecked");
}

Window Wizard::OpenedExplorer() const {
  std::vector<DWORD> ids = ChildProcessIds(Program().Id(), "explorer.exe");
  if (ids.empty()) return Window();
  return automation::WaitForWindow(ids[0], kProduct);
}

void Wizard::CloseExplorer() const {
  if (Window explorer = OpenedExplorer()) {
    automation::Close(explorer);
    automation::WaitGone(explorer);
  }
}

void Wizard::Leave(const std::string& button) const {
  Uncheck("Run Corvaline");
  CloseExplorer();
  const std::string caption = form_.Text();
  Press(button);
  DWORD code = Program().WaitExit();
  if (code != 0) throw Failure(caption + " ended with exit code " + std::to_string(code));
}

Process SetupWizard::Start(const std::string& dist, const std::string& startIn) {
  return Process::Start(dist + "\\setup.exe", "", startIn.empty() ? dist : startIn);
}

SetupWizard::SetupWizard(const std::string& dist, const std::string& startIn)
    : Wizard(Start(dist, startIn), kSetupCaption) {}

SetupWizard::SetupWizard(Process started) : Wizard(std::move(started), kSetupCaption) {}

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

Lines SetupWizard::Summary() const { return RowsOf(Form().FieldOf("Setup Configuration", "RichEdit20W")); }

void SetupWizard::DontRunClient() const { Uncheck("Run Corvaline"); }


void InstallAsUser(const std::string& dist, const std::string& dest, const std::string& address,
                   const std::string& host) {
  SetupWizard setup(dist);
  setup.FillStart(dest);
  setup.FillAddress(address, host);
  setup.Install();
  setup.Leave("Exit");
}

}  // namespace e2e
