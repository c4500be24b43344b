#include <gtest/gtest.h>

#include "sys/exception.h"
#include "sys/registry.h"

namespace {
const char kRunOnce[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

// A key of its own under HKEY_CURRENT_USER, deleted afterwards with plain API calls.
class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    key_ = "Software\\CorvalineSysTest\\" + std::to_string(GetCurrentProcessId()) + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name();
  }
  void TearDown() override {
    RegDeleteTreeA(HKEY_CURRENT_USER, key_.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\CorvalineSysTest");
  }
  // Sets a value straight through the API, as another program would.
  void SetRaw(const std::string& name, DWORD type, const void* data, DWORD size) {
    HKEY k;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, key_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &k, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(k, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(k);
  }
  bool RawKeyExists(HKEY root, const std::string& key) {
    HKEY k;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
    RegCloseKey(k);
    return true;
  }
  std::string key_;
};
}  // namespace

TEST_F(RegistryTest, StringsAndIntegersRoundTrip) {
  {
    Registry reg;
    // Opening without creation leaves a missing key missing.
    EXPECT_FALSE(reg.OpenKey(key_, false));
    EXPECT_FALSE(RegistryKeyExists(key_));
    ASSERT_TRUE(reg.OpenKey(key_, true));
    EXPECT_TRUE(RegistryKeyExists(key_));
    EXPECT_TRUE(reg.WriteString("AppDir", "C:\\Program Files\\Corvaline \xE9\xFF"));
    EXPECT_TRUE(reg.WriteString("Empty", ""));
    EXPECT_TRUE(reg.WriteInteger("WindowState", 0));
    EXPECT_TRUE(reg.WriteInteger("Negative", -2));
  }
  Registry reg;
  ASSERT_TRUE(reg.OpenKeyReadOnly(key_));
  EXPECT_EQ(reg.ReadString("AppDir"), "C:\\Program Files\\Corvaline \xE9\xFF");
  EXPECT_TRUE(reg.ValueExists("Empty"));
  EXPECT_EQ(reg.ReadString("Empty"), "");
  EXPECT_EQ(reg.ReadInteger("WindowState"), 0);
  EXPECT_EQ(reg.ReadInteger("Negative"), -2);
  // A missing string reads as empty.
  EXPECT_FALSE(reg.ValueExists("Program Group"));
  EXPECT_EQ(reg.ReadString("Program Group"), "");
  // Read-only: writes fail and say so.
  EXPECT_FALSE(reg.WriteString("AppDir", "x"));
  EXPECT_EQ(reg.ReadString("AppDir"), "C:\\Program Files\\Corvaline \xE9\xFF");
  reg.CloseKey();
  EXPECT_FALSE(reg.WriteInteger("WindowState", 1));
}

TEST_F(RegistryTest, AValueOfAnotherTypeThrows) {
  DWORD number = 5;
  SetRaw("Number", REG_DWORD, &number, sizeof number);
  SetRaw("Text", REG_SZ, "ab", 3);
  SetRaw("Expand", REG_EXPAND_SZ, "%x%", 4);
  unsigned char blob[6] = {1, 2, 3, 4, 5, 6};
  SetRaw("Blob", REG_BINARY, blob, sizeof blob);
  // A string stored without its closing zero still reads whole.
  SetRaw("Unended", REG_SZ, "abc", 3);

  Registry reg;
  ASSERT_TRUE(reg.OpenKey(key_, false));
  EXPECT_THROW(reg.ReadString("Number"), ERegistryException);
  EXPECT_THROW(reg.ReadString("Blob"), ERegistryException);
  EXPECT_THROW(reg.ReadInteger("Text"), ERegistryException);
  EXPECT_THROW(reg.ReadInteger("Blob"), ERegistryException);
  EXPECT_THROW(reg.ReadInteger("Missing"), ERegistryException);
  EXPECT_EQ(reg.ReadString("Expand"), "%x%");
  EXPECT_EQ(reg.ReadString("Unended"), "abc");
  // The lenient reads take another type for a missing value.
  EXPECT_EQ(reg.ReadStringOrEmpty("Number"), "");
  EXPECT_EQ(reg.ReadStringOrEmpty("Text"), "ab");
  ASSERT_TRUE(reg.OpenKey("\\" + key_.substr(0, key_.rfind('\\')), false));
  EXPECT_EQ(reg.ReadSectionStringOrEmpty(key_.substr(key_.rfind('\\') + 1), "Blob"), "");
  try {
    reg.ReadString("Number");
  } catch (const ERegistryException& e) {
    EXPECT_EQ(std::string(e.what()), "Invalid data type for 'Number'");
  }
}

// Text Windows reads keeps every letter (the client's ANSI bytes stay as they
// are, above); a value read raw goes back exactly; a key of any name goes.
TEST_F(RegistryTest, TextKeepsEveryLetterAndRawValuesGoBackExactly) {
  const std::string text = "C:\\Apps\\Почта\\邮件 Łódź";
  Registry reg;
  ASSERT_TRUE(reg.OpenKey(key_ + "\\Почта", true));
  ASSERT_TRUE(reg.WriteText("InstallLocation", text));
  EXPECT_EQ(reg.ReadText("InstallLocation"), text);
  Registry::RawValue raw;
  ASSERT_TRUE(reg.ReadRaw("InstallLocation", &raw));
  ASSERT_TRUE(reg.WriteText("InstallLocation", "changed"));
  ASSERT_TRUE(reg.WriteRaw("InstallLocation", raw));
  EXPECT_EQ(reg.ReadText("InstallLocation"), text);
  reg.CloseKey();
  EXPECT_TRUE(reg.DeleteKey(key_));
  EXPECT_FALSE(RawKeyExists(HKEY_CURRENT_USER, key_));
}

TEST_F(RegistryTest, DeleteKeyTakesEverySubkey) {
  {
    Registry reg;
    ASSERT_TRUE(reg.OpenKey(key_ + "\\a\\b\\c", true));
    reg.WriteString("v", "1");
    ASSERT_TRUE(reg.OpenKey("\\" + key_ + "\\a2", true));
    reg.WriteInteger("n", 1);
    ASSERT_TRUE(reg.OpenKey("\\" + key_, false));
    reg.WriteString("top", "t");
  }
  Registry reg;
  EXPECT_TRUE(reg.DeleteKey(key_));
  EXPECT_FALSE(RawKeyExists(HKEY_CURRENT_USER, key_));
  EXPECT_FALSE(reg.DeleteKey(key_));
  EXPECT_FALSE(reg.DeleteKey(""));
}

TEST_F(RegistryTest, RelativePathsStartFromTheOpenKey) {
  Registry reg;
  ASSERT_TRUE(reg.OpenKey(key_, true));
  ASSERT_TRUE(reg.OpenKey("Explorer", true));
  reg.WriteString("Here", "x");
  reg.CloseKey();
  EXPECT_TRUE(RawKeyExists(HKEY_CURRENT_USER, key_ + "\\Explorer"));
  EXPECT_FALSE(RawKeyExists(HKEY_CURRENT_USER, "Explorer"));
}

TEST_F(RegistryTest, SectionReadsCreateNothing) {
  Registry reg;
  ASSERT_TRUE(reg.OpenKey(key_ + "\\Shell Folders", true));
  reg.WriteString("Programs", "C:\\Start Menu\\Programs");
  ASSERT_TRUE(reg.OpenKey("\\" + key_, false));
  EXPECT_EQ(reg.ReadSectionString("Shell Folders", "Programs", ""), "C:\\Start Menu\\Programs");
  EXPECT_EQ(reg.ReadSectionString("Shell Folders", "Missing", "dflt"), "dflt");
  EXPECT_EQ(reg.ReadSectionString("No Section", "Programs", "dflt"), "dflt");
  EXPECT_FALSE(RawKeyExists(HKEY_CURRENT_USER, key_ + "\\No Section"));
}

// The RunOnce keys of both hives are taken away and put back (empty) here;
// the session's prefix is a throw-away copy.
class RunOnceTest : public RegistryTest {
 protected:
  void SetUp() override {
    RegistryTest::SetUp();
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kRunOnce);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kRunOnce);
    RegDeleteTreeA(HKEY_CURRENT_USER, kRunOnce);
    RegDeleteKeyA(HKEY_CURRENT_USER, kRunOnce);
  }
  void TearDown() override {
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
      RegDeleteTreeA(root, kRunOnce);
      HKEY k;
      if (RegCreateKeyExA(root, kRunOnce, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr) == 0)
        RegCloseKey(k);
    }
    RegistryTest::TearDown();
  }
  void Create(HKEY root) {
    HKEY k;
    ASSERT_EQ(RegCreateKeyExA(root, kRunOnce, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr), 0);
    RegCloseKey(k);
  }
  std::string ReadValue(HKEY root, const std::string& name) {
    Registry reg(root);
    if (!reg.OpenKeyReadOnly(kRunOnce)) return "<no key>";
    if (!reg.ValueExists(name)) return "<no value>";
    return reg.ReadString(name);
  }
};

TEST_F(RunOnceTest, NeverCreatesTheKey) {
  ASSERT_FALSE(RawKeyExists(HKEY_LOCAL_MACHINE, kRunOnce));
  EXPECT_FALSE(AddRunOnce("CV", "C:\\cv.exe"));
  EXPECT_FALSE(RawKeyExists(HKEY_LOCAL_MACHINE, kRunOnce));
  EXPECT_FALSE(RawKeyExists(HKEY_CURRENT_USER, kRunOnce));
}

TEST_F(RunOnceTest, PrefersTheMachineHiveAndFallsBackToTheUser) {
  Create(HKEY_CURRENT_USER);
  EXPECT_TRUE(AddRunOnce("CV", "C:\\cv.exe -u"));
  EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, "CV"), "C:\\cv.exe -u");
  EXPECT_FALSE(RawKeyExists(HKEY_LOCAL_MACHINE, kRunOnce));

  Create(HKEY_LOCAL_MACHINE);
  EXPECT_TRUE(AddRunOnce("Second", "x.exe"));
  EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, "Second"), "x.exe");
  EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, "Second"), "<no value>");
}
