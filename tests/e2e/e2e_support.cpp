#include "tests/e2e/e2e_support.h"

#include <sddl.h>

#include <algorithm>

#include <shlobj.h>

#include "common/journal_records.h"
#include "distribution/sha256.h"
#include "sys/console_runner.h"
#include "sys/handle.h"
#include "sys/text.h"
#include "sys/wide.h"

namespace e2e {

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

}  // namespace

std::string DistFolder() { return FromProgramFolder(CV_E2E_DIST); }
std::string CvdbPath() { return FromProgramFolder(CV_E2E_CVDB); }

std::string OneFileSetup() {
  const std::string build = DistFolder() + "\\..\\";
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((build + "Corvaline-*-setup.exe").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return std::string();
  FindClose(search);
  return build + found.cFileName;
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

RegValue ReadValue(const std::string& key, const std::string& name, bool text) {
  RegValue value;
  UniqueRegKey k = OpenKey(key, KEY_READ, false);
  if (!k) return value;
  if (text) {
    wchar_t data[2048] = L"";
    DWORD size = sizeof data - sizeof data[0];
    if (RegQueryValueExW(k.Get(), Widen(name).c_str(), nullptr, &value.type, reinterpret_cast<BYTE*>(data),
                         &size) != ERROR_SUCCESS)
      value.type = REG_NONE;
    value.text = Narrow(data);
    return value;
  }
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

Lines Listing(const std::string& folder) {
  std::string f = folder;
  if (!f.empty() && f.back() != '\\') f += '\\';
  return FolderNames(f);
}

std::string FileContent(const std::string& path) { return ReadTextFile(path); }

Lines TempFiles(const std::string& mask) {
  wchar_t temp[MAX_PATH + 1] = L"";
  GetTempPathW(MAX_PATH + 1, temp);
  Lines names;
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW(Widen(Narrow(temp) + mask).c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return names;
  do names.push_back(Narrow(found.cFileName));
  while (FindNextFileW(find, &found));
  FindClose(find);
  std::sort(names.begin(), names.end());
  return names;
}

std::string UserSid() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return "";
  std::vector<unsigned char> user(256);
  DWORD size = 0;
  char* text = nullptr;
  std::string sid;
  if (GetTokenInformation(token, TokenUser, user.data(), static_cast<DWORD>(user.size()), &size) &&
      ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid, &text))
    sid = text;
  LocalFree(text);
  CloseHandle(token);
  return sid;
}

void WaitForSelfRemoval() {
  automation::WaitUntil([] { return TempFiles("~cvrm*.exe").empty(); }, std::chrono::seconds(20),
                        "the uninstaller's copy in the temporary folder to end");
}

Lines Cvdb(const std::vector<std::string>& args) {
  std::string command = "\"" + CvdbPath() + "\"";
  for (const std::string& a : args) command += " \"" + a + "\"";
  Lines output;
  uint32_t result = RunConsole(command, output, SW_HIDE, nullptr, nullptr);
  EXPECT_EQ(result & 0xFFFF, 0u) << command << " did not end";
  EXPECT_EQ(result >> 16, 0u) << command << " failed:\n" << LinesToText(output);
  return output;
}

void InstallMixmaster(const std::string& folder) {
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  for (const char* name : {"mix.exe", "mix.cfg", "pubring.mix", "type2.list"})
    WriteTextFile(folder + "\\" + name, name);
  const std::string pool = folder + "\\pool";
  for (const std::string& inner : {pool, pool + "\\in", pool + "\\in\\old"})
    ASSERT_TRUE(CreateDirectoryA(inner.c_str(), nullptr)) << inner;
  WriteTextFile(pool + "\\m1234", "queued");
  WriteTextFile(pool + "\\in\\old\\m1", "older");
  WriteString(kMixKey, "MixDir", folder);
}

std::string JournalPath() {
  char local[MAX_PATH] = "";
  SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, local);
  return std::string(local) + "\\Corvaline Setup\\install.journal";
}

void WriteJournal(const std::string& destination, const std::vector<JournalLine>& records,
                  const std::string& torn) {
  std::string bytes = std::string(kJournalHeader) + "\r\n" +
                      EncodeJournalRecord({"bounds", {destination, "", kClientKey, kAppsEntryKey}});
  for (const JournalLine& r : records)
    bytes += EncodeJournalRecord({r.front(), std::vector<std::string>(r.begin() + 1, r.end())});
  const std::string journal = JournalPath();
  CreateDirectoryA(journal.substr(0, journal.rfind('\\')).c_str(), nullptr);
  WriteTextFile(journal, bytes + torn);
}

void StoppedReplacing(const std::string& destination, const std::string& file,
                      const std::string& old, const std::string& now) {
  const std::string parent = destination.substr(0, destination.rfind('\\'));
  CreateDirectoryA(parent.c_str(), nullptr);
  ASSERT_TRUE(CreateDirectoryA(destination.c_str(), nullptr)) << destination;
  const std::string copy = file + ".~cv1";
  WriteTextFile(file, now);
  if (now != old) WriteTextFile(copy, old);
  WriteJournal(destination, {{"aside", file, copy, std::to_string(old.size()),
                              Sha256Hex(Sha256Of(old.data(), old.size()))},
                             {"file", file}});
}

void CopyDistributionWithTwoUninstallers(const std::string& folder) {
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  for (const std::string& name : Listing(DistFolder())) {
    if (name == "CVFiles.txt") continue;
    ASSERT_TRUE(
        CopyFileA((DistFolder() + "\\" + name).c_str(), (folder + "\\" + name).c_str(), FALSE));
  }
  ASSERT_TRUE(
      CopyFileA((folder + "\\setup.exe").c_str(), (folder + "\\UninstCV.exe").c_str(), FALSE));
}

namespace {
void RemoveJournals() {
  const std::string folder = JournalPath().substr(0, JournalPath().rfind('\\'));
  for (const std::string& name : Listing(folder)) DeleteFileA((folder + "\\" + name).c_str());
  RemoveDirectoryA(folder.c_str());
}
}  // namespace

E2ETest::E2ETest() {
  CleanSlate();
  RemoveJournals();
}
E2ETest::~E2ETest() {
  CleanSlate();
  RemoveJournals();
}

}  // namespace e2e
