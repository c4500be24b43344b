#include "tests/uninstall/uninstall_fixture.h"

#include <algorithm>

#include "common/install_record_file.h"
#include "sys/named_mutex.h"
#include "sys/path.h"
#include "sys/sound.h"

const char kClientKey[] = "Software\\Corvaline";
const char kMixKey[] = "Software\\Mixmaster";

namespace {

void WriteValue(HKEY key, const char* name, const std::string& value) {
  ASSERT_EQ(RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                           static_cast<DWORD>(value.size() + 1)),
            ERROR_SUCCESS);
}

HKEY CreateKey(const std::string& path) {
  HKEY key = nullptr;
  EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr),
            ERROR_SUCCESS)
      << path;
  return key;
}

}  // namespace

void UninstallTest::DeleteKeys() {
  RegDeleteTreeA(HKEY_CURRENT_USER, kClientKey);
  RegDeleteKeyA(HKEY_CURRENT_USER, kClientKey);
  RegDeleteTreeA(HKEY_CURRENT_USER, kMixKey);
  RegDeleteKeyA(HKEY_CURRENT_USER, kMixKey);
}

void UninstallTest::DeleteValue(const std::string& path, const char* name) {
  HKEY key = CreateKey(path);
  ASSERT_TRUE(key);
  EXPECT_EQ(RegDeleteValueA(key, name), ERROR_SUCCESS);
  RegCloseKey(key);
}

void UninstallTest::SetUp() {
  DeleteKeys();
  SoundsOn = false;
}

void UninstallTest::TearDown() { DeleteKeys(); }

void UninstallTest::InstallClient(const std::string& appDir, const std::string& group,
                                  const std::string& version) {
  HKEY key = CreateKey(kClientKey);
  ASSERT_TRUE(key);
  WriteValue(key, "AppDir", appDir);
  WriteValue(key, "Program Group", group);
  WriteValue(key, "Version", version);
  RegCloseKey(key);
}

void UninstallTest::InstallMixmaster(const std::string& mixDir) {
  HKEY key = CreateKey(kMixKey);
  ASSERT_TRUE(key);
  WriteValue(key, "MixDir", mixDir);
  RegCloseKey(key);
}

std::string UninstallTest::InstallMixmasterIn(const ScratchDir& root) {
  const std::string mix = root / "Mixmaster";
  MakeDirs(mix);
  WriteTextFile(mix + "\\mix.exe", "m");
  InstallMixmaster(mix);
  return mix;
}

void UninstallTest::CreateEmptyKey(const std::string& path) {
  HKEY key = CreateKey(path);
  if (key) RegCloseKey(key);
}

void UninstallTest::WriteNumber(const std::string& path, const char* name, DWORD value) {
  HKEY key = CreateKey(path);
  ASSERT_TRUE(key);
  EXPECT_EQ(RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

bool KeyExists(const std::string& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return false;
  RegCloseKey(key);
  return true;
}

std::string ShortForm(const std::string& path) {
  char buffer[MAX_PATH];
  DWORD n = GetShortPathNameA(path.c_str(), buffer, sizeof buffer);
  return n && n < sizeof buffer ? std::string(buffer, n) : std::string();
}

void MakeDirs(const std::string& path) {
  std::string p = path;
  if (!p.empty() && p.back() == '\\') p.pop_back();
  if (p.empty() || GetFileAttributesA(p.c_str()) != INVALID_FILE_ATTRIBUTES) return;
  size_t slash = p.find_last_of('\\');
  if (slash != std::string::npos) MakeDirs(p.substr(0, slash));
  ASSERT_TRUE(CreateDirectoryA(p.c_str(), nullptr)) << p;
}

bool WaitForProgramManager() {
  ui::DdeClient probe;
  return formtest::PumpUntil([&] { return probe.SetLink("PROGMAN", "PROGMAN"); }, 10000);
}

std::string BoxState(const ui::CheckBox& box) {
  return std::string(box.Checked() ? "on" : "off") + ", " + (box.Enabled() ? "live" : "grey");
}

std::string Lower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

std::string Upper(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

InstallRecord WriteInstallRecord(const std::string& folder, const Lines& names,
                                 const std::string& group, const std::vector<RecordedLink>& links) {
  InstallRecord record;
  record.user = CurrentUserSid();
  record.version = "0.9b0";
  record.folder = StripBackslash(folder);
  record.group = group;
  record.links = links;
  for (const std::string& name : names) {
    RecordedFile file;
    EXPECT_TRUE(DescribeFile(AddBackslash(folder) + name, name, &file)) << name;
    record.files.push_back(file);
  }
  std::string bytes;
  EXPECT_TRUE(FormatInstallRecord(record, &bytes));
  WriteTextFile(AddBackslash(folder) + kInstallRecordName, bytes);
  return record;
}
