// The install steps one by one on a wizard form, without the wait dialog:
// copying the distribution, the registry values, the default templates.
#include <gtest/gtest.h>

#include <aclapi.h>

#include <string>

#include "common/constants.h"
#include "db/FileMan1.h"
#include "setup/SetupDlg.h"
#include "common/normalized_folder.h"
#include "sys/exception.h"
#include "tests/setup/setup_fixture.h"

namespace {

const std::string kMessageKey = "default\xFF" "message";
const std::string kArticleKey = "default\xFF" "article";
const char kFolderCreationText[] =
    "Unable to create the destination folder.\nPlease review your entry for errors or\nillegal characters.";

std::string SystemText(DWORD code) {
  char* text = nullptr;
  FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                 nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<char*>(&text),
                 0, nullptr);
  std::string result = text ? text : "";
  LocalFree(text);
  return result;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The files anywhere below folder (ending in "\"), by name.
Lines FilesBelow(const std::string& folder) {
  Lines files;
  for (const std::string& name : FolderNames(folder)) {
    if (name.back() != '\\') {
      files.push_back(name);
      continue;
    }
    for (const std::string& inner : FilesBelow(folder + name)) files.push_back(inner);
  }
  return files;
}

class InstallTest : public SetupTest {
 protected:
  void SetUp() override { MakeDistribution(); }
};

// The client's key with a DACL that lets everyone read it and no one write it.
class ReadOnlyClientKey {
 public:
  ReadOnlyClientKey() {
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, kClientKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    EXPLICIT_ACCESSA read = {};
    read.grfAccessPermissions = KEY_READ;
    read.grfAccessMode = SET_ACCESS;
    read.grfInheritance = NO_INHERITANCE;
    read.Trustee.TrusteeForm = TRUSTEE_IS_NAME;
    read.Trustee.ptstrName = const_cast<char*>("EVERYONE");
    PACL acl = nullptr;
    SetEntriesInAclA(1, &read, nullptr, &acl);
    SetSecurityInfo(key, SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                    nullptr, nullptr, acl, nullptr);
    LocalFree(acl);
    RegCloseKey(key);
  }
  ~ReadOnlyClientKey() {
    // The owner may always give itself the key back.
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kClientKey, 0, WRITE_DAC, &key) == ERROR_SUCCESS) {
      SetSecurityInfo(key, SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr, nullptr, nullptr);
      RegCloseKey(key);
    }
    DeleteKey(kClientKey);
  }
  bool Writable() const {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kClientKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
  }
};

// The program's own database beside the test program, holding a cut mark;
// removed when the object goes.
class ProgramDatabase {
 public:
  explicit ProgramDatabase(const std::string& cutmarks) {
    DeleteFileA(ProgramDatabaseFile.c_str());
    EXPECT_EQ(SetInitValue("Cutmarks", cutmarks, ProgramDatabaseFile), 0);
  }
  ~ProgramDatabase() { DeleteFileA(ProgramDatabaseFile.c_str()); }
};

}  // namespace

TEST_F(InstallTest, CopyMakesTheFolderAndCopiesEveryPlainFileSetupAsTheUninstaller) {
  TSetupForm form;
  const std::string target = dest / "Apps\\Corvaline\\";
  form.AppDIR.SetText(target);  // a trailing backslash and two missing levels
  ASSERT_TRUE(form.CopyProgramFiles());
  EXPECT_EQ(FolderNames(target), Lines({"CV.dbc", "CV.exe", "CV.ini", "License.txt", "QuickStart.rtf",
                                         "ReadMe.txt", "UninstCV.exe"}));
  EXPECT_EQ(ReadTextFile(target + "UninstCV.exe"), "MZ the setup program");
  EXPECT_EQ(ReadTextFile(target + "CV.dbc"), ReadTextFile(dist / "CV.ini"));
  EXPECT_EQ(ReadTextFile(target + "License.txt"), "licence");
  EXPECT_EQ(boxes.Count(), 0u);
}

// A folder typed without its drive is taken from the distribution folder (the
// current directory) and recorded whole, so the uninstaller finds it from
// wherever it runs.
TEST_F(InstallTest, ARelativeDestinationIsInstalledAndRecordedAsItsFullPath) {
  TSetupForm form;
  form.AppDIR.SetText("Apps\\Corvaline");
  form.MakeDestinationAbsolute();
  const std::string full = dist / "Apps\\Corvaline";
  EXPECT_EQ(Lower(form.AppDIR.Text()), Lower(full));
  ASSERT_TRUE(form.CopyProgramFiles());
  ASSERT_TRUE(form.SaveRegistrySettings());
  EXPECT_TRUE(Exists(full + "\\UninstCV.exe"));
  EXPECT_EQ(Lower(ReadClientValue("AppDir").text), Lower(full));

  // A full path stays as typed.
  form.AppDIR.SetText("C:\\Apps\\");
  form.MakeDestinationAbsolute();
  EXPECT_EQ(form.AppDIR.Text(), "C:\\Apps\\");
}

TEST_F(InstallTest, SetupInAnyCaseArrivesAsTheUninstallerAndOlderFilesAreReplaced) {
  ASSERT_TRUE(MoveFileA((dist / "setup.exe").c_str(), (dist / "SeTuP.ExE").c_str()));
  WriteTextFile(dest / "License.txt", "an old licence");
  WriteTextFile(dest / "UninstCV.exe", "an old uninstaller");
  WriteTextFile(dest / "notes.txt", "the user's own");
  TSetupForm form;
  form.AppDIR.SetText(dest.Path());
  ASSERT_TRUE(form.CopyProgramFiles());
  EXPECT_EQ(ReadTextFile(dest / "UninstCV.exe"), "MZ the setup program");
  EXPECT_EQ(ReadTextFile(dest / "License.txt"), "licence");
  EXPECT_EQ(ReadTextFile(dest / "notes.txt"), "the user's own");
  EXPECT_FALSE(Exists(dest / "SeTuP.ExE"));
}

TEST_F(InstallTest, TheUsersDatabaseIsNeverReplaced) {
  // A client database in the destination stays; no seeding from CV.ini.
  WriteTextFile(dest / "CV.dbc", "the user's records");
  TSetupForm form;
  form.AppDIR.SetText(dest.Path());
  ASSERT_TRUE(form.CopyProgramFiles());
  EXPECT_EQ(ReadTextFile(dest / "CV.dbc"), "the user's records");

  // An encrypted one keeps CV.dbc from being seeded at all.
  ScratchDir encrypted("encrypted");
  WriteTextFile(encrypted / "CV.pgp", "encrypted records");
  form.AppDIR.SetText(encrypted.Path());
  ASSERT_TRUE(form.CopyProgramFiles());
  EXPECT_FALSE(Exists(encrypted / "CV.dbc"));
  EXPECT_EQ(ReadTextFile(encrypted / "CV.pgp"), "encrypted records");
  EXPECT_TRUE(Exists(encrypted / "CV.ini"));
  EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(InstallTest, DatabaseFilesOfTheDistributionNeverOverwriteTheUsers) {
  WriteTextFile(dist / "cv.DBC", "distribution database");
  WriteTextFile(dist / "CV.PGP", "distribution encrypted");
  WriteTextFile(dist / "cv.pgp.BAK", "distribution backup");
  WriteTextFile(dest / "CV.dbc", "the user's records");
  WriteTextFile(dest / "CV.pgp", "the user's encrypted records");
  TSetupForm form;
  form.AppDIR.SetText(dest.Path());
  ASSERT_TRUE(form.CopyProgramFiles());
  EXPECT_EQ(ReadTextFile(dest / "CV.dbc"), "the user's records");
  EXPECT_EQ(ReadTextFile(dest / "CV.pgp"), "the user's encrypted records");
  // Where the user has none, the distribution's copy arrives.
  EXPECT_EQ(ReadTextFile(dest / "cv.pgp.bak"), "distribution backup");
  EXPECT_EQ(ReadTextFile(dest / "License.txt"), "licence");
}

TEST_F(InstallTest, ATargetHeldOpenGivesCopyFailedWithTheSystemsTextAndTheTarget) {
  WriteTextFile(dest / "License.txt", "in use");
  HeldFile held(dest / "License.txt");
  ASSERT_TRUE(held.Held());
  TSetupForm form;
  form.AppDIR.SetText(dest.Path());
  EXPECT_FALSE(form.CopyProgramFiles());
  ASSERT_EQ(boxes.Count(), 1u);
  EXPECT_EQ(boxes[0].caption, "Copy Failed");
  const std::string reason = SystemText(ERROR_SHARING_VIOLATION);
  ASSERT_FALSE(reason.empty());
  // The system's text ends in a line break, which puts "File: " on a line of its own.
  EXPECT_EQ(boxes[0].text, "System Error: " + reason + "File: " + dest / "License.txt");
  EXPECT_EQ(boxes[0].type & MB_TYPEMASK, static_cast<UINT>(MB_OK));
  EXPECT_EQ(boxes[0].owner, form.Handle());
  held.Release();
  EXPECT_EQ(ReadTextFile(dest / "License.txt"), "in use");
}

TEST_F(InstallTest, InstallingIntoTheDistributionItselfCopiesNothing) {
  char shortForm[MAX_PATH] = "";
  ASSERT_NE(GetShortPathNameA(dist.Path().c_str(), shortForm, sizeof shortForm), 0u);
  std::string upper = dist.Path();
  for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  const std::string spellings[] = {dist.Path(), dist.Path().substr(0, dist.Path().size() - 1), upper,
                                   shortForm};
  TSetupForm form;
  for (const std::string& spelling : spellings) {
    form.AppDIR.SetText(spelling);
    EXPECT_TRUE(form.CopyProgramFiles()) << spelling;
  }
  EXPECT_FALSE(Exists(dist / "UninstCV.exe"));
  EXPECT_FALSE(Exists(dist / "CV.dbc"));  // not even the seeded database
  EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(InstallTest, FoldersCompareInTheirShortLowerCaseForm) {
  MakeDir(dest / "A Long Folder Name");
  const std::string folder = dest / "A Long Folder Name";
  char shortForm[MAX_PATH] = "";
  ASSERT_NE(GetShortPathNameA(folder.c_str(), shortForm, sizeof shortForm), 0u);
  EXPECT_EQ(NormalizedFolder(folder + "\\"), Lower(shortForm));
  EXPECT_TRUE(SameFolder(folder, Lower(folder) + "\\"));
  EXPECT_TRUE(SameFolder(folder, shortForm));
  EXPECT_FALSE(SameFolder(folder, dest.Path()));
  // Folders the system cannot resolve are not the same folder, or an install
  // into a folder not made yet would copy nothing and report success.
  EXPECT_EQ(NormalizedFolder(dest / "not there"), "");
  EXPECT_FALSE(SameFolder(dest / "not there", dest / "nor here"));
  EXPECT_FALSE(SameFolder("", ""));
}

TEST_F(InstallTest, ADestinationThatCannotBeMadeGivesTheFolderCreationMessage) {
  WriteTextFile(dest / "a file", "x");
  std::string deep = dest.Path();
  while (deep.size() <= MAX_PATH + 20) deep += "abcdefghij\\";
  std::vector<std::string> folders = {"", dest / "bad<name>", dest / "pipe|name", dest / "a file", deep,
                                      std::string(300, 'x')};
  if (GetDriveTypeA("Q:\\") == DRIVE_NO_ROOT_DIR) folders.push_back("Q:\\Corvaline");
  TSetupForm form;
  for (const std::string& folder : folders) {
    const size_t before = boxes.Count();
    form.AppDIR.SetText(folder);
    EXPECT_FALSE(form.CopyProgramFiles()) << folder;
    ASSERT_EQ(boxes.Count(), before + 1) << folder;
    EXPECT_EQ(boxes.Last().caption, "CorvalineFolder Creation Error");
    EXPECT_EQ(boxes.Last().text, kFolderCreationText);
    EXPECT_EQ(boxes.Last().type & MB_TYPEMASK, static_cast<UINT>(MB_OK));
  }
  // Of a path too long, the parents that fit may be made; nothing goes into them.
  EXPECT_FALSE(Exists(deep));
  EXPECT_EQ(FilesBelow(dest.Path()), Lines({"a file"}));
}

TEST_F(InstallTest, AFirstInstallWritesSixValuesWithTheirTypes) {
  TSetupForm form;
  form.AppDIR.SetText("C:\\Apps\\Corvaline\\");
  ASSERT_TRUE(form.SaveRegistrySettings());
  EXPECT_EQ(ClientValueCount(), 6u);
  auto expect = [](const char* name, DWORD type, const std::string& text) {
    RegValue v = ReadClientValue(name);
    EXPECT_EQ(v.type, type) << name;
    EXPECT_EQ(v.text, text) << name;
  };
  expect("AppDir", REG_SZ, "C:\\Apps\\Corvaline");
  expect("Version", REG_SZ, kVersion);
  expect("Program Group", REG_SZ, "Corvaline");
  expect("WindowState", REG_DWORD, "0");
  expect("WindowPos", REG_SZ, "-1,-1,565,350");
  expect("Update", REG_DWORD, "1");
  EXPECT_FALSE(KeyExists(kMixKey));
  EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(InstallTest, WithoutTheGroupFiveValuesAndADriveRootIsStoredAsC) {
  TSetupForm form;
  form.GroupBox.SetChecked(false);
  form.AppDIR.SetText("C:\\");
  ASSERT_TRUE(form.SaveRegistrySettings());
  EXPECT_EQ(ClientValueCount(), 5u);
  EXPECT_EQ(ReadClientValue("AppDir").text, "C:");
  EXPECT_EQ(ReadClientValue("Program Group").type, 0u);
}

TEST_F(InstallTest, AReinstallLeavesTheWindowValuesAndAnEarlierGroupAlone) {
  WriteClientKey("C:\\Old\\Corvaline", "Corvaline");
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kClientKey, 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
  DWORD maximised = 2;
  RegSetValueExA(key, "WindowState", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&maximised), sizeof maximised);
  RegSetValueExA(key, "WindowPos", 0, REG_SZ, reinterpret_cast<const BYTE*>("10,20,800,600"), 14);
  RegCloseKey(key);

  TSetupForm form;
  ASSERT_TRUE(form.IsExistingInstall());
  form.GroupBox.SetChecked(false);
  form.AppDIR.SetText("C:\\New\\Corvaline");
  ASSERT_TRUE(form.SaveRegistrySettings());
  EXPECT_EQ(ReadClientValue("AppDir").text, "C:\\New\\Corvaline");
  EXPECT_EQ(ReadClientValue("WindowState").text, "2");
  EXPECT_EQ(ReadClientValue("WindowPos").text, "10,20,800,600");
  EXPECT_EQ(ReadClientValue("Program Group").text, "Corvaline");
  EXPECT_EQ(ReadClientValue("Update").text, "1");
  EXPECT_EQ(ReadClientValue("Version").text, kVersion);
}

TEST_F(InstallTest, AKeyThatCannotBeOpenedForWritingIsReported) {
  ReadOnlyClientKey locked;
  ASSERT_FALSE(locked.Writable()) << "this Wine does not enforce registry permissions";
  TSetupForm form;  // it reads the key all the same
  EXPECT_FALSE(form.SaveRegistrySettings());
  ASSERT_EQ(boxes.Count(), 1u);
  EXPECT_EQ(boxes[0].caption, "Registry Error");
  EXPECT_EQ(boxes[0].text, "Unable to write to Win95 registry!\n\nEntries NOT saved!");
  EXPECT_EQ(boxes[0].type & MB_TYPEMASK, static_cast<UINT>(MB_OK));
  EXPECT_EQ(ClientValueCount(), 0u);
}

TEST_F(InstallTest, TheTemplatesAreStoredLineForLineAsTheFieldsStand) {
  TSetupForm form;
  form.AppDIR.SetText(dest.Path());
  form.EAddr.SetText(" Jane Doe <jane@example.com> ");  // blanks are kept
  form.Host.SetText("smtp.example.com");
  ASSERT_TRUE(form.StoreDefaultTemplates());  // the database comes into being
  Lines message, article;
  GetRecordStrings(message, kMessageKey, dest / "CV.dbc");
  GetRecordStrings(article, kArticleKey, dest / "CV.dbc");
  EXPECT_EQ(message, Lines({"Fcc: outbox", "Host: smtp.example.com", "From:  Jane Doe <jane@example.com> ",
                            "Chain: *,*,*,*; copies=1", "To: ", "Subject: ", "", "~~"}));
  EXPECT_EQ(article, Lines({"Fcc: outbox", "Host: smtp.example.com", "From:  Jane Doe <jane@example.com> ",
                            "Chain: *,*,*,*; copies=1", "To: mail2news@mail2news.example.net",
                            "X-No-Archive: Yes", "Newsgroups: ", "Subject: ", "", "~~"}));

  // A template with another address or host is rewritten...
  const Lines edited = {"From: someone else"};
  ASSERT_EQ(PutRecordStrings(kMessageKey, &edited, dest / "CV.dbc"), 0);
  form.Host.SetText("");
  ASSERT_TRUE(form.StoreDefaultTemplates());
  GetRecordStrings(message, kMessageKey, dest / "CV.dbc");
  ASSERT_EQ(message.size(), 8u);
  EXPECT_EQ(message[1], "Host: ");
  EXPECT_EQ(message[2], "From:  Jane Doe <jane@example.com> ");
  GetRecordStrings(article, kArticleKey, dest / "CV.dbc");
  EXPECT_EQ(article[1], "Host: ");

  // ...one that carries them both keeps what the user made of it.
  const Lines mine = {"Fcc: drafts", "Host: ", "From:  Jane Doe <jane@example.com> ", "X-Mine: 1"};
  ASSERT_EQ(PutRecordStrings(kMessageKey, &mine, dest / "CV.dbc"), 0);
  ASSERT_TRUE(form.StoreDefaultTemplates());
  GetRecordStrings(message, kMessageKey, dest / "CV.dbc");
  EXPECT_EQ(message, mine);
  EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(InstallTest, TheCutMarkComesFromTheProgramsOwnDatabase) {
  ProgramDatabase own("-- cut here --");
  TSetupForm form;
  form.AppDIR.SetText(dest.Path());
  ASSERT_TRUE(form.StoreDefaultTemplates());
  Lines message, article;
  GetRecordStrings(message, kMessageKey, dest / "CV.dbc");
  GetRecordStrings(article, kArticleKey, dest / "CV.dbc");
  ASSERT_EQ(message.size(), 8u);
  EXPECT_EQ(message[7], "-- cut here --");
  ASSERT_EQ(article.size(), 10u);
  EXPECT_EQ(article[9], "~~");
}

TEST_F(InstallTest, AnEncryptedDatabaseAloneIsLeftAlone) {
  WriteTextFile(dest / "CV.pgp", "encrypted");
  TSetupForm form;
  form.AppDIR.SetText(dest.Path());
  EXPECT_TRUE(form.StoreDefaultTemplates());
  EXPECT_FALSE(Exists(dest / "CV.dbc"));
  EXPECT_EQ(ReadTextFile(dest / "CV.pgp"), "encrypted");
  // Beside a plain database the templates go into the plain one.
  const Lines old = {"From: old"};
  ASSERT_EQ(PutRecordStrings(kMessageKey, &old, dest / "CV.dbc"), 0);
  EXPECT_TRUE(form.StoreDefaultTemplates());
  Lines message;
  GetRecordStrings(message, kMessageKey, dest / "CV.dbc");
  EXPECT_EQ(message.size(), 8u);
}

TEST_F(InstallTest, ADamagedDatabaseIsReportedAndLeftAsItWas) {
  const Lines old = {"From: old"};
  ASSERT_EQ(PutRecordStrings(kMessageKey, &old, dest / "CV.dbc"), 0);
  // The header's end-of-data field now points far beyond the file.
  std::string bytes = ReadTextFile(dest / "CV.dbc");
  ASSERT_GT(bytes.size(), 46u);
  bytes[45] = '\x7f';
  WriteTextFile(dest / "CV.dbc", bytes);

  TSetupForm form;
  form.AppDIR.SetText(dest.Path());
  EXPECT_FALSE(form.StoreDefaultTemplates());
  ASSERT_EQ(boxes.Count(), 1u);  // the article is not tried
  EXPECT_EQ(boxes[0].text, "Error storing default message!");
  EXPECT_EQ(boxes[0].caption, "Setup Error");
  EXPECT_EQ(boxes[0].type & MB_TYPEMASK, static_cast<UINT>(MB_OK));
  EXPECT_EQ(ReadTextFile(dest / "CV.dbc"), bytes);
}

TEST_F(InstallTest, ADatabaseHeldByARunningClientRaisesTheOpenError) {
  const Lines old = {"From: old"};
  ASSERT_EQ(PutRecordStrings(kMessageKey, &old, dest / "CV.dbc"), 0);
  HeldFile held(dest / "CV.dbc");
  ASSERT_TRUE(held.Held());
  TSetupForm form;
  form.AppDIR.SetText(dest.Path());
  EXPECT_THROW(form.StoreDefaultTemplates(), EFOpenError);
}
