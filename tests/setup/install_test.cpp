// The install engine without a window: what it copies, records and stores,
// what it refuses before changing anything, and what a failing step leaves
// (nothing).
#include <gtest/gtest.h>

#include <aclapi.h>

#include <algorithm>
#include <string>

#include "common/constants.h"
#include "common/install_record_file.h"
#include "common/normalized_folder.h"
#include "db/FileMan1.h"
#include "distribution/file_list.h"
#include "install/exit_code.h"
#include "sys/exception.h"
#include "sys/files.h"
#include "sys/named_mutex.h"
#include "sys/path.h"
#include "sys/wide.h"
#include "tests/setup/setup_fixture.h"

namespace {

const std::string kMessageKey = "default\xFF" "message";
const std::string kArticleKey = "default\xFF" "article";

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

class InstallTest : public SetupTest {
 protected:
  void SetUp() override { MakeDistribution(); }
  // Without a group, so that no test touches the Start menu it does not look at.
  InstallChoices NoGroup(const std::string& folder) const {
    InstallChoices choices = Choices(folder);
    choices.group = false;
    return choices;
  }
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

TEST_F(InstallTest, MakesTheFolderAndCopiesEveryPlainFileSetupAsTheUninstaller) {
  const std::string target = dest / "Apps\\Corvaline\\";
  Installed run = Install(NoGroup(target));  // a trailing backslash and two missing levels
  ASSERT_TRUE(run.Done()) << run.plan.message << run.outcome.message;
  EXPECT_EQ(run.log, Lines({"   program files...done", "   registry settings...done",
                            "   default templates...done", "   program group...skipped"}));
  EXPECT_EQ(FolderNames(target), Lines({"CV.dbc", "CV.exe", "CV.ini", "CVSetup.txt", "License.txt",
                                        "QuickStart.rtf", "ReadMe.txt", "UninstCV.exe"}));
  EXPECT_EQ(ReadTextFile(target + "UninstCV.exe"), "MZ the setup program");
  // The record of what it placed, as it placed it, for this user: the
  // database is the user's, not in it.
  InstallRecord record;
  ASSERT_EQ(ReadInstallRecordIn(target, &record), RecordFound::Sound);
  EXPECT_EQ(record.user, CurrentUserSid());
  EXPECT_EQ(record.folder, StripBackslash(target));
  EXPECT_EQ(record.version, kVersion);
  EXPECT_EQ(record.group, "");
  Lines recorded;
  for (const RecordedFile& file : record.files) {
    recorded.push_back(file.name);
    EXPECT_TRUE(MatchesRecord(target + file.name, file)) << file.name;
  }
  std::sort(recorded.begin(), recorded.end());
  EXPECT_EQ(recorded, Lines({"CV.exe", "CV.ini", "License.txt", "QuickStart.rtf", "ReadMe.txt",
                             "UninstCV.exe"}));
  EXPECT_EQ(ReadTextFile(target + "License.txt"), "licence");
  Lines message;
  GetRecordStrings(message, kMessageKey, target + "CV.dbc");  // seeded from CV.ini, then the templates
  EXPECT_EQ(GetInitValue("Version", "", target + "CV.dbc"), kVersion);
}

// A folder typed without its drive is taken from the distribution folder (the
// current directory) and recorded whole, so the uninstaller finds it from
// wherever it runs.
TEST_F(InstallTest, ARelativeDestinationIsInstalledAndRecordedAsItsFullPath) {
  Installed run = Install(NoGroup("Apps\\Corvaline"));
  ASSERT_TRUE(run.Done()) << run.plan.message;
  const std::string full = dist / "Apps\\Corvaline";
  EXPECT_EQ(Lower(run.plan.folder), Lower(full));
  EXPECT_TRUE(Exists(full + "\\UninstCV.exe"));
  EXPECT_EQ(Lower(ReadClientValue("AppDir").text), Lower(full));
}

TEST_F(InstallTest, SetupInAnyCaseArrivesAsTheUninstallerAndOlderFilesAreReplaced) {
  ASSERT_TRUE(MoveFileA((dist / "setup.exe").c_str(), (dist / "SeTuP.ExE").c_str()));
  WriteTextFile(dest / "License.txt", "an old licence");
  WriteTextFile(dest / "UninstCV.exe", "an old uninstaller");
  WriteTextFile(dest / "notes.txt", "the user's own");
  ASSERT_TRUE(Install(NoGroup(dest.Path())).Done());
  EXPECT_EQ(ReadTextFile(dest / "UninstCV.exe"), "MZ the setup program");
  EXPECT_EQ(ReadTextFile(dest / "License.txt"), "licence");
  EXPECT_EQ(ReadTextFile(dest / "notes.txt"), "the user's own");
  EXPECT_FALSE(Exists(dest / "SeTuP.ExE"));
  // The copies kept for a roll-back went with the journal.
  EXPECT_EQ(FolderNames(dest.Path()),
            Lines({"CV.dbc", "CV.exe", "CV.ini", "CVSetup.txt", "License.txt", "QuickStart.rtf",
                   "ReadMe.txt", "UninstCV.exe", "notes.txt"}));
}

// A new install records what it placed, and what an earlier one placed that
// it does not replace, as long as that still holds what was placed.
TEST_F(InstallTest, TheRecordKeepsWhatAnEarlierInstallPlacedAsPlaced) {
  WriteTextFile(dist / "Plugin.dll", "a plug-in");
  WriteTextFile(dist / "Extra.txt", "extra");
  ASSERT_TRUE(Install(NoGroup(dest.Path())).Done());
  DeleteFileA((dist / "Plugin.dll").c_str());
  DeleteFileA((dist / "Extra.txt").c_str());
  WriteTextFile(dest / "Extra.txt", "changed by the user");
  ASSERT_TRUE(Install(NoGroup(dest.Path())).Done());
  InstallRecord record;
  ASSERT_EQ(ReadInstallRecordIn(dest.Path(), &record), RecordFound::Sound);
  EXPECT_TRUE(FindRecordedFile(record, "Plugin.dll"));
  EXPECT_FALSE(FindRecordedFile(record, "Extra.txt"));
  EXPECT_TRUE(FindRecordedFile(record, "CV.exe"));
  EXPECT_EQ(record.files.size(), 7u);
}

// With its file list, a distribution is exactly the listed files, each of its
// listed size before anything changes and of its SHA-256 as it is copied; a
// file beside them that is not listed stays out.
TEST_F(InstallTest, TheFileListDecidesWhatIsInstalledAndIsChecked) {
  FileList list;
  for (const char* name : {"setup.exe", "CV.exe", "CV.ini", "License.txt", "ReadMe.txt", "QuickStart.rtf"}) {
    const std::string bytes = ReadTextFile(dist / name);
    list.push_back({name, bytes.size(), Sha256Of(bytes.data(), bytes.size())});
  }
  std::string text;
  ASSERT_TRUE(FormatFileList(list, text).ok());
  WriteTextFile(dist / "CVFiles.txt", text);
  WriteTextFile(dist / "Tax-Return-2025.pdf", "the user's");
  ASSERT_TRUE(Install(NoGroup(dest / "Apps")).Done());
  EXPECT_EQ(FolderNames(dest / "Apps\\"),
            Lines({"CV.dbc", "CV.exe", "CV.ini", "CVFiles.txt", "CVSetup.txt", "License.txt",
                   "QuickStart.rtf", "ReadMe.txt", "UninstCV.exe"}));
  EXPECT_EQ(ReadTextFile(dest / "Apps\\CVFiles.txt"), text);

  // A listed file of another size, or gone: refused, nothing made. One of
  // its size but other bytes, found as it is copied: the install is taken
  // back, and the exit code says the distribution is damaged.
  const std::string licence = ReadTextFile(dist / "License.txt");
  for (const char* damage : {"resized", "gone", "altered"}) {
    const std::string name = damage;
    if (name == "gone") DeleteFileA((dist / "License.txt").c_str());
    else WriteTextFile(dist / "License.txt", name == "altered" ? std::string(licence.size(), 'x') : "another size");
    Installed run = Install(NoGroup(dest / "Elsewhere"));
    if (name == "altered") {
      EXPECT_EQ(run.plan.problem, PlanProblem::None);
      EXPECT_EQ(run.outcome.result, InstallResult::RolledBack);
      EXPECT_EQ(ExitCodeFor(run.outcome), ExitCode::DistributionDamaged);
      EXPECT_NE(run.outcome.message.find("License.txt differs from its file list"), std::string::npos)
          << run.outcome.message;
    } else {
      EXPECT_EQ(run.plan.problem, PlanProblem::Distribution) << damage;
      EXPECT_NE(run.plan.message.find("License.txt is missing or differs"), std::string::npos) << run.plan.message;
    }
    EXPECT_FALSE(Exists(dest / "Elsewhere")) << damage;
  }
  // A list of gigabytes is no list: refused unread, and said so.
  SetFileSize(dist / "CVFiles.txt", 3ull << 30);
  Installed run = Install(NoGroup(dest / "Elsewhere"));
  EXPECT_EQ(run.plan.problem, PlanProblem::Distribution);
  EXPECT_NE(run.plan.message.find("CVFiles.txt cannot be read or is too long"), std::string::npos)
      << run.plan.message;
}

// Each file of a distribution is installed under a name of its own, and none
// under the name of a copy setup keeps for a roll-back.
TEST_F(InstallTest, TwoFilesForOneNameOrACopysNameAreRefused) {
  for (const char* extra : {"UninstCV.exe", "ReadMe.txt.~cv1", "CV.EXE.~CV17"}) {
    WriteTextFile(dist / extra, "x");
    Installed run = Install(NoGroup(dest / "Apps"));
    EXPECT_EQ(run.plan.problem, PlanProblem::Distribution) << extra;
    EXPECT_NE(run.plan.message.find(extra), std::string::npos) << run.plan.message;
    EXPECT_FALSE(Exists(dest / "Apps")) << extra;
    ASSERT_TRUE(DeleteFileA((dist / extra).c_str()));
  }
}

TEST_F(InstallTest, TheUsersDatabaseIsNeverReplacedAndAnEmptyOneIsSeeded) {
  const Lines mine = {"From: the user's own"};
  ASSERT_EQ(PutRecordStrings(kMessageKey, &mine, dest / "CV.dbc"), 0);
  const std::string records = ReadTextFile(dest / "CV.dbc");
  InstallChoices keep = NoGroup(dest.Path());
  keep.address.clear();  // no templates: the file stays byte for byte
  ASSERT_TRUE(Install(keep).Done());
  EXPECT_EQ(ReadTextFile(dest / "CV.dbc"), records);

  // What a full disk left of an earlier seeding is seeded again.
  ScratchDir empty("empty");
  WriteTextFile(empty / "CV.dbc", "");
  ASSERT_TRUE(Install(NoGroup(empty.Path())).Done());
  EXPECT_EQ(GetInitValue("Version", "", empty / "CV.dbc"), kVersion);

  // An encrypted one keeps CV.dbc from being seeded at all.
  ScratchDir encrypted("encrypted");
  WriteTextFile(encrypted / "CV.pgp", "encrypted records");
  Installed run = Install(NoGroup(encrypted.Path()));
  ASSERT_TRUE(run.Done());
  EXPECT_EQ(run.log[2], "   default templates...skipped");
  EXPECT_FALSE(Exists(encrypted / "CV.dbc"));
  EXPECT_EQ(ReadTextFile(encrypted / "CV.pgp"), "encrypted records");
}

TEST_F(InstallTest, DatabaseFilesOfTheDistributionNeverOverwriteTheUsers) {
  WriteTextFile(dist / "cv.DBC", "distribution database");
  WriteTextFile(dist / "CV.PGP", "distribution encrypted");
  WriteTextFile(dist / "cv.pgp.BAK", "distribution backup");
  WriteTextFile(dest / "CV.dbc", "the user's records");
  WriteTextFile(dest / "CV.pgp", "the user's encrypted records");
  InstallChoices choices = NoGroup(dest.Path());
  choices.address.clear();
  ASSERT_TRUE(Install(choices).Done());
  EXPECT_EQ(ReadTextFile(dest / "CV.dbc"), "the user's records");
  EXPECT_EQ(ReadTextFile(dest / "CV.pgp"), "the user's encrypted records");
  // Where the user has none, the distribution's copy arrives.
  EXPECT_EQ(ReadTextFile(dest / "cv.pgp.bak"), "distribution backup");
}

TEST_F(InstallTest, InstallingIntoTheDistributionItselfCopiesNothing) {
  char shortForm[MAX_PATH] = "";
  ASSERT_NE(GetShortPathNameA(dist.Path().c_str(), shortForm, sizeof shortForm), 0u);
  for (const std::string& spelling : {dist.Path(), Lower(dist.Path()), std::string(shortForm)}) {
    InstallChoices choices = NoGroup(spelling);
    choices.address.clear();
    EXPECT_TRUE(Install(choices).Done()) << spelling;
  }
  EXPECT_FALSE(Exists(dist / "UninstCV.exe"));
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

// Refused while planning: nothing is made, not even a parent folder.
TEST_F(InstallTest, DestinationsThatCannotWorkAreRefusedBeforeAnythingChanges) {
  WriteTextFile(dest / "my notes.txt", "the user's");
  // The longest file then has exactly the longest path the client can open;
  // one more character is too many.
  std::string fits = dest.Path();
  while (fits.size() + std::string("\\QuickStart.rtf").size() < 259) fits += "x";
  char windows[MAX_PATH] = "", profile[MAX_PATH] = "";
  GetWindowsDirectoryA(windows, MAX_PATH);
  GetEnvironmentVariableA("USERPROFILE", profile, MAX_PATH);
  const struct {
    std::string folder;
    PlanProblem problem;
  } cases[] = {
      {"", PlanProblem::BadName},
      {dest / "bad<name>", PlanProblem::BadName},
      {dest / "pipe|name\\Corvaline", PlanProblem::BadName},
      {dest / "dot.\\Corvaline", PlanProblem::BadName},
      {dest / "NUL", PlanProblem::BadName},
      {fits + "x", PlanProblem::TooLong},
      {std::string(256, 'x'), PlanProblem::BadName},
      {"C:\\", PlanProblem::Protected},
      {windows, PlanProblem::Protected},
      {profile, PlanProblem::Protected},
      {dest.Path(), PlanProblem::OtherFiles},
  };
  for (const auto& c : cases) {
    Installed run = Install(NoGroup(c.folder));
    EXPECT_EQ(run.plan.problem, c.problem) << c.folder;
    EXPECT_FALSE(run.plan.message.empty()) << c.folder;
  }
  if (GetDriveTypeA("Q:\\") == DRIVE_NO_ROOT_DIR) {
    EXPECT_EQ(Install(NoGroup("Q:\\Corvaline")).plan.problem, PlanProblem::Unreachable);
  }
  EXPECT_EQ(FolderNames(dest.Path()), Lines{"my notes.txt"});
  EXPECT_FALSE(KeyExists(kClientKey));
  EXPECT_FALSE(KeyExists(kAppsEntryKey));
  // The longest path that works, works; a folder of other files, when the user says so.
  EXPECT_TRUE(Install(NoGroup(fits)).Done());
  InstallChoices anyway = NoGroup(dest.Path());
  anyway.otherFilesAccepted = true;
  EXPECT_TRUE(Install(anyway).Done());
  EXPECT_EQ(ReadTextFile(dest / "my notes.txt"), "the user's");
}

// Drive S: is a small volume of the test session's own.
TEST_F(InstallTest, ASmallDriveIsRefusedAndADriveThatFillsUpIsTakenBack) {
  ULARGE_INTEGER free;
  if (!GetDiskFreeSpaceExA("S:\\", &free, nullptr, nullptr)) GTEST_SKIP() << "no small drive in this session";
  const std::string filler = "S:\\filler";
  auto leaveFree = [&](uint64_t bytes) {
    DeleteFileA(filler.c_str());
    ASSERT_TRUE(GetDiskFreeSpaceExA("S:\\", &free, nullptr, nullptr));
    WriteTextFile(filler, std::string(free.QuadPart - bytes, 'x'));
  };
  leaveFree(200 * 1024);
  Installed refused = Install(NoGroup("S:\\Corvaline"));
  EXPECT_EQ(refused.plan.problem, PlanProblem::DiskFull);
  EXPECT_EQ(FolderNames("S:\\"), Lines{"filler"});

  // Room enough when planned; then something else takes it.
  DeleteFileA(filler.c_str());
  const InstallPlan plan = PlanInstall(NoGroup("S:\\Corvaline"));
  ASSERT_EQ(plan.problem, PlanProblem::None) << plan.message;
  leaveFree(16 * 1024);
  const InstallOutcome outcome = RunInstall(plan, nullptr);
  EXPECT_EQ(outcome.result, InstallResult::NoSpace);
  EXPECT_EQ(ExitCodeFor(outcome.result), ExitCode::DiskFull);  // as when the plan sees it
  EXPECT_EQ(outcome.caption, "Copy Failed");
  EXPECT_EQ(FolderNames("S:\\"), Lines{"filler"});
  EXPECT_FALSE(KeyExists(kClientKey));
  DeleteFileA(filler.c_str());
}

// What a volume without short names gives: the long name itself; or a
// lookup that fails outright.
std::string NoShortNames(const std::string& path) { return path; }
std::string NoLookup(const std::string&) { return ""; }

// A name outside the code page goes to the client in its short form; where
// there is none, the folder is refused before anything changes. An address
// the client could not read is refused too.
TEST_F(InstallTest, ANameOutsideTheCodePageReachesTheClientInItsShortForm) {
  const std::string folder = dest / "Почта\\邮件";
  for (int made = 0; made < 2; ++made) {
    for (ShortNameLookup lookup : {NoShortNames, NoLookup}) {
      SetShortNameLookup(lookup);
      const Installed refused = Install(NoGroup(folder));
      SetShortNameLookup(nullptr);
      EXPECT_EQ(refused.plan.problem, PlanProblem::Unreadable);
      EXPECT_EQ(refused.plan.message, "Corvaline cannot use the folder " + folder +
                                          ": its name has characters the client cannot read. Choose another folder.");
      EXPECT_EQ(ExitCodeFor(refused.plan.problem), ExitCode::DestinationRefused);
      EXPECT_EQ(FolderNames(dest.Path()), made ? Lines{"Почта\\"} : Lines{});
      EXPECT_FALSE(KeyExists(kClientKey));
    }
    ASSERT_TRUE(Install(NoGroup(folder)).Done());
    wchar_t shortForm[MAX_PATH] = L"";
    GetShortPathNameW(Widen(folder).c_str(), shortForm, MAX_PATH);
    EXPECT_EQ(ReadClientValue("AppDir").text, Narrow(shortForm));
    EXPECT_NE(Narrow(shortForm), folder);
    DeleteKey(kClientKey);
    DeleteKey(kAppsEntryKey);
  }
  InstallChoices cyrillic = NoGroup(dest / "Mail");
  cyrillic.address = "Дмитрий <d@example.org>";
  const Installed refused = Install(cyrillic);
  EXPECT_EQ(refused.plan.problem, PlanProblem::Unstorable);
  EXPECT_EQ(refused.plan.message, "Corvaline cannot use the address Дмитрий <d@example.org>: it has characters the "
                                  "client cannot read. Type it in other letters.");
  EXPECT_EQ(ExitCodeFor(refused.plan.problem), ExitCode::BadCommandLine);
}

TEST_F(InstallTest, AnOlderVersionReplacesANewerOneOnlyWhenAskedTo) {
  WriteClientKey(dest.Path(), "Corvaline", "0.10");
  Installed refused = Install(NoGroup(dest.Path()));
  EXPECT_EQ(refused.plan.problem, PlanProblem::NewerInstalled);
  EXPECT_TRUE(FolderNames(dest.Path()).empty());
  InstallChoices anyway = NoGroup(dest.Path());
  anyway.downgradeAccepted = true;
  ASSERT_TRUE(Install(anyway).Done());
  EXPECT_EQ(ReadClientValue("Version").text, kVersion);
}

TEST_F(InstallTest, AHeldTargetFailsTheCopyAndEverythingIsTakenBack) {
  WriteTextFile(dest / "License.txt", "in use");
  WriteTextFile(dest / "UninstCV.exe", "an old uninstaller");
  HeldFile held(dest / "License.txt");
  ASSERT_TRUE(held.Held());
  Installed run = Install(Choices(dest.Path()));
  ASSERT_EQ(run.outcome.result, InstallResult::RolledBack);
  EXPECT_EQ(run.outcome.caption, "Copy Failed");
  const std::string reason = SystemText(ERROR_SHARING_VIOLATION);
  ASSERT_FALSE(reason.empty());
  // The system's text ends in a line break, which puts "File: " on a line of its own.
  EXPECT_EQ(run.outcome.message, "System Error: " + reason + "File: " + dest / "License.txt");
  EXPECT_EQ(run.log.back(), "Installation failed. Nothing was changed.");
  held.Release();
  EXPECT_EQ(FolderNames(dest.Path()), Lines({"License.txt", "UninstCV.exe"}));
  EXPECT_EQ(ReadTextFile(dest / "License.txt"), "in use");
  EXPECT_EQ(ReadTextFile(dest / "UninstCV.exe"), "an old uninstaller");
  EXPECT_FALSE(KeyExists(kClientKey));
  EXPECT_FALSE(KeyExists(kAppsEntryKey));
}

TEST_F(InstallTest, AFirstInstallWritesSixValuesWithTheirTypes) {
  ASSERT_TRUE(Install(Choices(dest / "Apps\\Corvaline\\")).Done());
  EXPECT_EQ(ClientValueCount(), 6u);
  auto expect = [](const char* name, DWORD type, const std::string& text) {
    RegValue v = ReadClientValue(name);
    EXPECT_EQ(v.type, type) << name;
    EXPECT_EQ(v.text, text) << name;
  };
  expect("AppDir", REG_SZ, dest / "Apps\\Corvaline");
  expect("Version", REG_SZ, kVersion);
  expect("Program Group", REG_SZ, "Corvaline");
  expect("WindowState", REG_DWORD, "0");
  expect("WindowPos", REG_SZ, "-1,-1,565,350");
  expect("Update", REG_DWORD, "1");
  EXPECT_FALSE(KeyExists(kMixKey));
  // Without a group, five.
  DeleteKey(kClientKey);
  ASSERT_TRUE(Install(NoGroup(dest / "Apps\\Corvaline")).Done());
  EXPECT_EQ(ClientValueCount(), 5u);
  EXPECT_EQ(ReadClientValue("Program Group").type, 0u);
}

TEST_F(InstallTest, AReinstallLeavesTheWindowValuesAndAnEarlierGroupAlone) {
  WriteClientKey(dest / "Old", "Corvaline");
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kClientKey, 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
  DWORD maximised = 2;
  RegSetValueExA(key, "WindowState", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&maximised), sizeof maximised);
  RegSetValueExA(key, "WindowPos", 0, REG_SZ, reinterpret_cast<const BYTE*>("10,20,800,600"), 14);
  RegCloseKey(key);
  ASSERT_TRUE(Install(NoGroup(dest / "New")).Done());
  EXPECT_EQ(ReadClientValue("AppDir").text, dest / "New");
  EXPECT_EQ(ReadClientValue("WindowState").text, "2");
  EXPECT_EQ(ReadClientValue("WindowPos").text, "10,20,800,600");
  EXPECT_EQ(ReadClientValue("Program Group").text, "Corvaline");
  EXPECT_EQ(ReadClientValue("Update").text, "1");
}

TEST_F(InstallTest, AKeyThatCannotBeWrittenFailsTheInstallAndTakesTheFilesBack) {
  ReadOnlyClientKey locked;
  ASSERT_FALSE(locked.Writable()) << "this Wine does not enforce registry permissions";
  Installed run = Install(NoGroup(dest / "Apps"));
  ASSERT_EQ(run.outcome.result, InstallResult::RolledBack);
  EXPECT_EQ(run.outcome.caption, "Registry Error");
  EXPECT_EQ(run.outcome.message, "Unable to write to Win95 registry!\n\nEntries NOT saved!");
  EXPECT_FALSE(Exists(dest / "Apps"));
  EXPECT_EQ(ClientValueCount(), 0u);
}

TEST_F(InstallTest, TheTemplatesAreStoredLineForLineAsTheChoicesStand) {
  InstallChoices choices = NoGroup(dest.Path());
  choices.address = " Jane Doe <jane@example.com> ";  // blanks are kept
  ASSERT_TRUE(Install(choices).Done());
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
  choices.host = "mail2.example.com";
  ASSERT_TRUE(Install(choices).Done());
  GetRecordStrings(message, kMessageKey, dest / "CV.dbc");
  ASSERT_EQ(message.size(), 8u);
  EXPECT_EQ(message[1], "Host: mail2.example.com");
  EXPECT_EQ(message[2], "From:  Jane Doe <jane@example.com> ");

  // ...one that carries them both keeps what the user made of it.
  const Lines mine = {"Fcc: drafts", "Host: mail2.example.com", "From:  Jane Doe <jane@example.com> ", "X-Mine: 1"};
  ASSERT_EQ(PutRecordStrings(kMessageKey, &mine, dest / "CV.dbc"), 0);
  ASSERT_TRUE(Install(choices).Done());
  GetRecordStrings(message, kMessageKey, dest / "CV.dbc");
  EXPECT_EQ(message, mine);
  // Without a host nothing is stored at all.
  choices.host.clear();
  const std::string before = ReadTextFile(dest / "CV.dbc");
  Installed run = Install(choices);
  ASSERT_TRUE(run.Done());
  EXPECT_EQ(run.log[2], "   default templates...skipped");
  EXPECT_EQ(ReadTextFile(dest / "CV.dbc"), before);
}

TEST_F(InstallTest, TheCutMarkComesFromTheProgramsOwnDatabase) {
  ProgramDatabase own("-- cut here --");
  ASSERT_TRUE(Install(NoGroup(dest.Path())).Done());
  Lines message, article;
  GetRecordStrings(message, kMessageKey, dest / "CV.dbc");
  GetRecordStrings(article, kArticleKey, dest / "CV.dbc");
  ASSERT_EQ(message.size(), 8u);
  EXPECT_EQ(message[7], "-- cut here --");
  ASSERT_EQ(article.size(), 10u);
  EXPECT_EQ(article[9], "~~");
}

TEST_F(InstallTest, ADamagedDatabaseIsReportedAndEverythingIsLeftAsItWas) {
  const Lines old = {"From: old"};
  ASSERT_EQ(PutRecordStrings(kMessageKey, &old, dest / "CV.dbc"), 0);
  // The header's end-of-data field now points far beyond the file.
  std::string bytes = ReadTextFile(dest / "CV.dbc");
  ASSERT_GT(bytes.size(), 46u);
  bytes[45] = '\x7f';
  WriteTextFile(dest / "CV.dbc", bytes);
  Installed run = Install(NoGroup(dest.Path()));
  ASSERT_EQ(run.outcome.result, InstallResult::RolledBack);
  EXPECT_EQ(run.outcome.message, "Error storing default message!");
  EXPECT_EQ(run.outcome.caption, "Setup Error");
  EXPECT_EQ(ReadTextFile(dest / "CV.dbc"), bytes);
  EXPECT_EQ(FolderNames(dest.Path()), Lines{"CV.dbc"});
}

TEST_F(InstallTest, ADatabaseHeldByARunningClientStopsThePlan) {
  const Lines old = {"From: old"};
  ASSERT_EQ(PutRecordStrings(kMessageKey, &old, dest / "CV.dbc"), 0);
  HeldFile held(dest / "CV.dbc");
  ASSERT_TRUE(held.Held());
  Installed run = Install(NoGroup(dest.Path()));
  EXPECT_EQ(run.plan.problem, PlanProblem::ClientRunning);
  EXPECT_EQ(run.plan.message, "Corvaline is running. Close it, then click Retry.");
  EXPECT_EQ(FolderNames(dest.Path()), Lines{"CV.dbc"});
}
