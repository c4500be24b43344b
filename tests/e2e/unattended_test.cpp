// Installing and removing without a window, as package managers do: the /S
// switch, the exit code, the log, and the entry in Settings > Apps that Wine's
// own uninstaller program lists and starts.
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "sys/console_runner.h"
#include "sys/text.h"
#include "sys/wide.h"
#include "tests/e2e/e2e_support.h"
#include "tests/sys_win/linux_link.h"
#include "tests/sys_win/held_file.h"
#include "tests/sys_win/link_reader.h"

namespace e2e {
namespace {

using namespace std::chrono_literals;

const char kAddress[] = "Jane Doe <jane.doe@example.org>";
const char kHost[] = "smtp.example.org";

class UnattendedTest : public E2ETest {
 protected:
  std::string dest = scratch / "Apps\\Corvaline Mail";
  std::string log = scratch / "run.log";

  // Runs exe with args in a folder of its own; its exit code.
  DWORD Run(const std::string& exe, const std::string& args) {
    Process run = Process::Start(exe, args, scratch.Path());
    return run.WaitExit(60s);
  }
  DWORD Setup(const std::string& args) { return Run(DistFolder() + "\\setup.exe", args); }
  Lines Log() const { return TextToLines(FileContent(log)); }
  // What Wine's uninstaller program says, "key|||name" a line.
  static Lines WineUninstaller(const std::string& args) {
    Lines output;
    RunConsole("uninstaller.exe " + args, output, SW_HIDE, nullptr, nullptr);
    return output;
  }
  // A text of a program's version resource (US English, Windows-1252), or "".
  static std::string VersionResourceText(const std::string& exe, const std::string& name) {
    std::string data(GetFileVersionInfoSizeA(exe.c_str(), nullptr), '\0');
    const std::string key = "\\StringFileInfo\\040904E4\\" + name;
    void* text = nullptr;
    UINT size = 0;
    if (data.empty() || !GetFileVersionInfoA(exe.c_str(), 0, data.size(), &data[0]) ||
        !VerQueryValueA(&data[0], key.c_str(), &text, &size) || size == 0)
      return std::string();
    return static_cast<const char*>(text);
  }
  static bool Lists(const Lines& entries) {
    return std::find(entries.begin(), entries.end(), "Corvaline|||Corvaline") != entries.end();
  }
};

TEST_F(UnattendedTest, InstallRegistersAndRemovalUnregisters) {
  ASSERT_EQ(Setup("/s \"/ADDRESS=" + std::string(kAddress) + "\" /Host=" + kHost + " /LOG=" + log +
                  " /D=\"" + dest + "\""),
            0u);
  EXPECT_EQ(Log(), (Lines{"Folder = " + dest, std::string("Address = ") + kAddress,
                          std::string("MailHost = ") + kHost, "ProgramGroup = yes",
                          "   program files...done", "   registry settings...done",
                          "   default templates...done", "   program group...done",
                          "Installation complete!", "Exit code: 0 (done)"}));
  EXPECT_TRUE(FileExists(dest + "\\CV.exe"));
  EXPECT_EQ(ReadValue(kClientKey, "AppDir").text, dest);
  EXPECT_EQ(Listing(GroupFolder()).size(), 5u);
  EXPECT_EQ(Cvdb({"get", dest + "\\CV.dbc", "default", "message"})[2], std::string("From: ") + kAddress);

  // The entry in Settings > Apps.
  uint64_t bytes = 0;
  for (const std::string& name : Listing(dest)) bytes += FileContent(dest + "\\" + name).size();
  const std::string uninstaller = "\"" + dest + "\\UninstCV.exe\"";
  // The About and Help links name the web page the program's version resource names.
  const std::string page = VersionResourceText(DistFolder() + "\\setup.exe", "CompanyURL");
  EXPECT_EQ(page.rfind("https://", 0), 0u) << page;
  SYSTEMTIME today = {};
  GetLocalTime(&today);
  char date[16];
  snprintf(date, sizeof date, "%04u%02u%02u", today.wYear, today.wMonth, today.wDay);
  const struct {
    const char* name;
    DWORD type;
    std::string text;
  } values[] = {{"DisplayName", REG_SZ, "Corvaline"},
                {"DisplayVersion", REG_SZ, ReadValue(kClientKey, "Version").text},
                {"Publisher", REG_SZ, "the Corvaline authors"},
                {"URLInfoAbout", REG_SZ, page},
                {"HelpLink", REG_SZ, page},
                {"InstallDate", REG_SZ, date},
                {"InstallLocation", REG_SZ, dest},
                {"DisplayIcon", REG_SZ, dest + "\\CV.exe,0"},
                {"UninstallString", REG_SZ, uninstaller},
                {"QuietUninstallString", REG_SZ, uninstaller + " /S"},
                {"NoModify", REG_DWORD, "1"},
                {"NoRepair", REG_DWORD, "1"},
                {"EstimatedSize", REG_DWORD, std::to_string((bytes + 1023) / 1024)}};
  for (const auto& v : values) {
    const RegValue stored = ReadValue(kAppsEntryKey, v.name);
    EXPECT_EQ(stored.type, v.type) << v.name;
    EXPECT_EQ(stored.text, v.text) << v.name;
  }

  // Wine's uninstaller lists it and starts its uninstall string: the wizard.
  EXPECT_TRUE(Lists(WineUninstaller("--list")));
  Process remover = Process::Start("uninstaller.exe", "--remove Corvaline", scratch.Path());
  const Window wizard = automation::WaitForWindow(0, "Un-Install Wizard");
  automation::Close(wizard);  // the Start page closes without a question
  automation::WaitGone(wizard);
  remover.WaitExit();
  EXPECT_TRUE(KeyExists(kAppsEntryKey));

  // The quiet uninstall string removes it all without a window.
  ASSERT_EQ(Run(dest + "\\UninstCV.exe", "/S /log=" + log), 0u);
  EXPECT_FALSE(KeyExists(kClientKey));
  EXPECT_FALSE(KeyExists(kAppsEntryKey));
  EXPECT_FALSE(Lists(WineUninstaller("--list")));
  EXPECT_FALSE(FolderExists(GroupFolder()));
  // The uninstaller left the folder before it ended, the record with it.
  EXPECT_EQ(Listing(dest), Lines{"CV.dbc"});
  const Lines all = Log();
  ASSERT_GT(all.size(), 10u);
  EXPECT_EQ(Lines(all.begin() + 10, all.end()),
            (Lines{"Corvaline = YES", "Mixmaster = NO", "Removing Corvaline...",
                   "   program group...done", "   program files...done", "   registry key...done",
                   "Done!", "Un-Installation complete!", "Exit code: 0 (done)"}));
}

const char kAsSystem[] = "CV_TEST_AS_LOCAL_SYSTEM";  // stands in for a LocalSystem token

// An unattended run has no one to ask: its log states what happened.
void ExpectNoQuestion(const Lines& log) {
  for (const std::string& line : log) EXPECT_TRUE(line.empty() || line.back() != '?') << line;
}

std::string KnownFolder(const KNOWNFOLDERID& id) {
  PWSTR path = nullptr;
  std::string folder;
  if (SUCCEEDED(SHGetKnownFolderPath(id, KF_FLAG_DONT_VERIFY, nullptr, &path))) folder = Narrow(path);
  CoTaskMemFree(path);
  return folder;
}

// What the system deletes or renames at the next restart, one text.
std::string PendingDeletions() {
  wchar_t data[32768] = L"";
  DWORD size = sizeof data;
  if (RegGetValueW(HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Control\\Session Manager",
                   L"PendingFileRenameOperations", RRF_RT_REG_MULTI_SZ, nullptr, data, &size) != ERROR_SUCCESS)
    return std::string();
  for (DWORD i = 0; i + 1 < size / sizeof(wchar_t); ++i)
    if (data[i] == L'\0') data[i] = L'|';
  return Narrow(data);
}

// A drive letter no drive has.
std::string MissingDrive() {
  char drive[] = "Q:\\";
  while (GetDriveTypeA(drive) != DRIVE_NO_ROOT_DIR) ++drive[0];
  return std::string(drive, 2);
}

bool HasSmallDrive() { return GetDriveTypeA("S:\\") != DRIVE_NO_ROOT_DIR; }

// Leaves the small drive less room than an install needs.
void FillSmallDrive() {
  DeleteFileA("S:\\filler");
  ULARGE_INTEGER free;
  if (!GetDiskFreeSpaceExA("S:\\", &free, nullptr, nullptr)) return;
  WriteTextFile("S:\\filler", std::string(free.QuadPart - 200 * 1024, 'x'));
}

// Each exit code a package manager maps, produced as it would meet it: the
// log's last line names it, and a refusal changes nothing.
TEST_F(UnattendedTest, EveryExitCodeSaysWhy) {
  const std::string lonely = scratch / "Downloads";
  ASSERT_TRUE(CreateDirectoryA(lonely.c_str(), nullptr));
  ASSERT_TRUE(CopyFileA((DistFolder() + "\\setup.exe").c_str(), (lonely + "\\setup.exe").c_str(), FALSE));
  // A distribution whose setup.exe and UninstCV.exe would both be the uninstaller.
  const std::string twice = scratch / "Twice";
  CopyDistributionWithTwoUninstallers(twice);
  const std::string setup = DistFolder() + "\\setup.exe";
  const std::string mine = scratch / "Mine";
  ASSERT_TRUE(CreateDirectoryA(mine.c_str(), nullptr));
  const std::string logged = " /LOG=" + log;
  const std::string to = " /D=" + dest;
  const struct {
    const char* name;
    std::function<void()> arrange;  // the state the run meets
    std::string exe, args;
    DWORD code;
    std::string said;
  } runs[] = {
      {"unknown switch", [] {}, setup, "/S /BOGUS" + logged + to, 1, "Unknown switch: /BOGUS"},
      {"protected folder", [] {}, setup, "/S" + logged + " /D=C:\\", 8,
       "Setup Error: Corvaline cannot be installed into C:\\ It holds"},
      // Folders only the shell's known-folder manager names.
      {"Saved Games", [] {}, setup, "/S" + logged + " /D=" + KnownFolder(FOLDERID_SavedGames), 8,
       "Setup Error: Corvaline cannot be installed into " + KnownFolder(FOLDERID_SavedGames) + " It holds"},
      {"Public Music", [] {}, setup, "/S" + logged + " /D=" + KnownFolder(FOLDERID_PublicMusic), 8,
       "Setup Error: Corvaline cannot be installed into " + KnownFolder(FOLDERID_PublicMusic) + " It holds"},
      {"Links", [] {}, setup, "/S" + logged + " /D=" + KnownFolder(FOLDERID_Links), 8,
       "Setup Error: Corvaline cannot be installed into " + KnownFolder(FOLDERID_Links) + " It holds"},
      {"incomplete distribution", [] {}, lonely + "\\setup.exe", "/S" + logged + to, 10,
       "Setup Error: The folder " + lonely + " does not hold a complete Corvaline distribution"},
      {"two files for one name", [] {}, twice + "\\setup.exe", "/S" + logged + to, 10,
       "Setup Error: The distribution cannot be installed: two of its files would both be "
       "installed as UninstCV.exe."},
      {"newer version", [&] { WriteString(kClientKey, "Version", "9.9"); }, setup, "/S" + logged + to, 6,
       "Corvaline: A newer version of Corvaline, 9.9, is installed: version 0.9b0 is not installed over it."},
      {"a folder of other files", [&] { WriteTextFile(mine + "\\Budget.xls", "the user's"); }, setup,
       "/S" + logged + " /D=" + mine, 8, "already holds other files, and uninstalling Corvaline later would"},
      // Switches after /D= are switches still: its log, /S itself.
      {"the log after /D=", [] {}, setup, "/S /D=C:\\" + logged, 8, "Corvaline cannot be installed into C:\\"},
      {"/S after /D=", [] {}, setup, "/D=C:\\" + logged + " /S", 8, "Corvaline cannot be installed into C:\\"},
      // Run as LocalSystem, as a deployment service runs it: nobody's profile.
      {"setup as LocalSystem", [] { SetEnvironmentVariableA(kAsSystem, "1"); }, setup, "/S" + logged + to, 8,
       "Corvaline installs for one user: run it as that user (Intune: install behaviour User)"},
      {"uninstall as LocalSystem", [] { SetEnvironmentVariableA(kAsSystem, "1"); }, setup, "-u /S" + logged, 8,
       "Corvaline installs for one user: run it as that user (Intune: install behaviour User)"},
      {"nothing to uninstall", [] {}, setup, "-U /S" + logged, 9, "Nothing to un-install!"},
      // Drive S: is a small volume of the session's own, where one can be made.
      {"disk full", [] { FillSmallDrive(); }, setup, "/S" + logged + " /D=S:\\Corvaline", 7,
       "Setup Error: There is not enough free disk space to install into S:\\Corvaline"},
      // The client reads its default message in the code page: no letter may be lost.
      {"address outside the code page", [] {}, setup,
       "/S \"/ADDRESS=Дмитрий <d@example.org>\" /HOST=h" + logged + to, 1,
       "Setup Error: Corvaline cannot use the address Дмитрий <d@example.org>: it has characters "
       "the client"},
  };
  for (const auto& r : runs) {
    if (r.code == 7 && !HasSmallDrive()) continue;
    CleanSlate();
    DeleteFileA(log.c_str());
    r.arrange();
    EXPECT_EQ(Run(r.exe, r.args), r.code) << r.name;
    SetEnvironmentVariableA(kAsSystem, nullptr);
    const Lines said = Log();
    const std::string text = LinesToText(said);
    EXPECT_NE(text.find(r.said), std::string::npos) << r.name << "\n" << text;
    ExpectNoQuestion(said);
    ASSERT_FALSE(said.empty());
    EXPECT_EQ(said.back().rfind("Exit code: " + std::to_string(r.code) + " (", 0), 0u) << said.back();
    EXPECT_FALSE(FolderExists(scratch / "Apps")) << r.name;
    EXPECT_FALSE(FolderExists(GroupFolder())) << r.name;
    EXPECT_FALSE(FolderExists("S:\\Corvaline")) << r.name;
  }
  DeleteFileA("S:\\filler");
  // A /LOG= that cannot be written is found out before anything changes.
  EXPECT_EQ(Setup("/S /LOG=" + scratch / "no folder\\run.log" + to), 1u);
  EXPECT_FALSE(FolderExists(scratch / "Apps"));

  // A file of an earlier installation held open: the copy fails and
  // everything is taken back.
  CleanSlate();
  ASSERT_TRUE(CreateDirectoryA((scratch / "Apps").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA(dest.c_str(), nullptr));
  WriteTextFile(dest + "\\CV.exe", "an older client");
  WriteTextFile(dest + "\\ReadMe.txt", "in use");
  {
    HeldFile held(dest + "\\ReadMe.txt");
    DeleteFileA(log.c_str());
    EXPECT_EQ(Setup("/S" + logged + to), 2u);
  }
  const Lines said = Log();
  ASSERT_GE(said.size(), 4u);
  EXPECT_EQ(said[said.size() - 4], "   program files...failed");
  EXPECT_EQ(said[said.size() - 3].substr(0, 27), "Copy Failed: System Error: ");
  EXPECT_EQ(said[said.size() - 2], "Installation failed. Nothing was changed.");
  EXPECT_EQ(Listing(dest), (Lines{"CV.exe", "ReadMe.txt"}));
  EXPECT_EQ(FileContent(dest + "\\CV.exe"), "an older client");
  EXPECT_FALSE(KeyExists(kClientKey));
  EXPECT_FALSE(KeyExists(kAppsEntryKey));

  // The client running: nothing changes, in either direction. Nor while
  // another program holds a file of Mixmaster's pool.
  ASSERT_EQ(Setup("/S" + logged + to), 0u);
  {
    HeldFile client(dest + "\\CV.dbc");
    DeleteFileA(log.c_str());
    EXPECT_EQ(Setup("/S" + logged + to), 4u);
    EXPECT_EQ(Run(dest + "\\UninstCV.exe", "/S" + logged), 4u);
    EXPECT_TRUE(FileExists(dest + "\\CV.exe"));
    const Lines said = Log();
    EXPECT_EQ(std::count(said.begin(), said.end(),
                         "Setup Error: Corvaline is running and holds its files: nothing was changed. Close it, "
                         "then run setup again."),
              1) << LinesToText(said);
    ExpectNoQuestion(said);
  }
  InstallMixmaster(scratch / "Mix");
  {
    HeldFile pool(scratch / "Mix\\pool\\in\\old\\m1");
    DeleteFileA(log.c_str());
    EXPECT_EQ(Run(dest + "\\UninstCV.exe", "/S" + logged), 4u);
    const Lines said = Log();
    EXPECT_EQ(std::count(said.begin(), said.end(),
                         "A program holds files of Mixmaster open: nothing was changed. Close it, "
                         "then run the uninstaller again."),
              1) << LinesToText(said);
    ExpectNoQuestion(said);
    EXPECT_EQ(Listing(scratch / "Mix\\pool"), (Lines{"in\\", "m1234"}));
    EXPECT_TRUE(FileExists(dest + "\\CV.exe"));
    EXPECT_TRUE(KeyExists(kMixKey));
  }
  DeleteKey(kMixKey);
  // Files the removal may not touch (the key names a folder of the user's):
  // the key, the entry and the uninstaller stay, so that it can be run again
  // once the cause is gone.
  char documents[MAX_PATH] = "";
  ASSERT_EQ(SHGetFolderPathA(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, documents), S_OK);
  WriteString(kClientKey, "AppDir", documents);
  EXPECT_EQ(Run(dest + "\\UninstCV.exe", "/S" + logged), 3u);
  EXPECT_NE(LinesToText(Log()).find("   program files...skipped (protected folder)"), std::string::npos);
  EXPECT_TRUE(KeyExists(kClientKey));
  EXPECT_TRUE(KeyExists(kAppsEntryKey));
  EXPECT_TRUE(FileExists(dest + "\\UninstCV.exe"));
  // Nothing says the files are gone: no folder, or one out of reach.
  const struct {
    std::function<void()> arrange;
    std::string said;
  } unproven[] = {{[] { WriteDword(kClientKey, "AppDir", 7); }, "   program files...failed (the registry names no folder)"},
                  {[] { WriteString(kClientKey, "AppDir", MissingDrive() + "\\Corvaline"); },
                   "   program files...failed (it cannot be reached)"}};
  for (const auto& row : unproven) {
    row.arrange();
    DeleteFileA(log.c_str());
    EXPECT_EQ(Run(dest + "\\UninstCV.exe", "/S" + logged), 3u) << row.said;
    EXPECT_NE(FileContent(log).find(row.said), std::string::npos) << FileContent(log);
    EXPECT_NE(FileContent(log).find("Un-Installation incomplete!"), std::string::npos);
    EXPECT_TRUE(KeyExists(kClientKey));
    EXPECT_TRUE(KeyExists(kAppsEntryKey));
    EXPECT_TRUE(FileExists(dest + "\\UninstCV.exe"));
  }
  WriteString(kClientKey, "AppDir", dest);
  // Through the entry's own quiet line, as Settings > Apps and winget run it.
  const std::string quiet = ReadValue(kAppsEntryKey, "QuietUninstallString").text;
  EXPECT_EQ(Run("C:\\windows\\system32\\cmd.exe", "/c \"" + quiet + "\""), 0u);
  EXPECT_FALSE(KeyExists(kClientKey));
  EXPECT_FALSE(KeyExists(kAppsEntryKey));
  // The uninstaller goes too, once it has ended.
  WaitForSelfRemoval();
  EXPECT_EQ(Listing(dest), (Lines{"CV.dbc"}));  // the uninstaller gone too
}

// What a killed install left is taken back at the next start, before
// anything else: here the uninstaller then finds nothing installed.
TEST_F(UnattendedTest, AnInterruptedInstallIsRolledBackAtTheNextStart) {
  const std::string half = scratch / "Half";
  ASSERT_TRUE(CreateDirectoryA(half.c_str(), nullptr));
  WriteTextFile(half + "\\CV.exe", "half a copy");
  WriteString(kClientKey, "AppDir", half);
  // The last record was being written when the process died: its change was never made.
  WriteJournal(half, {{"dir", half}, {"file", half + "\\CV.exe"}, {"key", kClientKey}},
               "0123ABCD\tfile\t" + half + "\\Lic");
  EXPECT_EQ(Run(DistFolder() + "\\setup.exe", "-u /S /LOG=" + log), 9u);
  EXPECT_EQ(Log().front(), "An interrupted installation was rolled back.");
  EXPECT_FALSE(FolderExists(half));
  EXPECT_FALSE(KeyExists(kClientKey));
  EXPECT_FALSE(FileExists(JournalPath()));
}

// A roll-back that finished but whose journal stayed (a scanner held it as
// it was to go): the next start finds each change already taken back and
// takes nothing back twice; the old files stay.
TEST_F(UnattendedTest, AJournalThatOutlivedItsRollBackTakesNothingBackTwice) {
  const std::string readMe = dest + "\\ReadMe.txt";
  StoppedReplacing(dest, readMe, "the old read-me", "the old read-me");
  EXPECT_EQ(Run(DistFolder() + "\\setup.exe", "-u /S /LOG=" + log), 9u);
  EXPECT_EQ(Log().front(), "An interrupted installation was rolled back.");
  EXPECT_EQ(Listing(dest), Lines{"ReadMe.txt"});
  EXPECT_EQ(FileContent(readMe), "the old read-me");
  EXPECT_FALSE(FileExists(JournalPath()));
}

// A roll-back that cannot finish (the copy of the old read-me is held open)
// stops every later run, setup and uninstaller, with nothing changed and the
// journal kept; once the copy is free, the next start finishes it first.
TEST_F(UnattendedTest, AnUnfinishedRollBackStopsEveryRunUntilItIsFinished) {
  const std::string readMe = dest + "\\ReadMe.txt", copy = readMe + ".~cv1";
  StoppedReplacing(dest, readMe, "the old read-me", "the new read-me");
  const std::string journal = FileContent(JournalPath());
  {
    HeldFile held(copy);
    ASSERT_TRUE(held.Held());
    for (const std::string& run : {"-u /S /LOG=" + log, "/S /LOG=" + log + " /D=" + dest}) {
      DeleteFileA(log.c_str());
      EXPECT_EQ(Run(DistFolder() + "\\setup.exe", run), 3u) << run;
      EXPECT_EQ(
          Log(),
          (Lines{
              "An earlier installation could not be rolled back: these changes it made are left:",
              "      " + readMe, "      " + copy,
              "Nothing else was changed; setup and the uninstaller try again when they next start.",
              "Exit code: 3 (failed, and something is left)"}))
          << run;
      EXPECT_EQ(FileContent(JournalPath()).substr(0, journal.size()), journal) << run;
      EXPECT_EQ(FileContent(readMe), "the new read-me");
      EXPECT_FALSE(KeyExists(kClientKey));
      EXPECT_FALSE(FolderExists(GroupFolder()));
    }
  }
  DeleteFileA(log.c_str());
  EXPECT_EQ(Run(DistFolder() + "\\setup.exe", "-u /S /LOG=" + log), 9u);
  EXPECT_EQ(Log().front(), "An interrupted installation was rolled back.");
  EXPECT_EQ(Listing(dest), Lines{"ReadMe.txt"});
  EXPECT_EQ(FileContent(readMe), "the old read-me");
  EXPECT_FALSE(FileExists(JournalPath()));
}

// A "Program Group" that names a folder of the shell's own is not setup's
// group: the removal leaves it and its items alone, and is complete.
TEST_F(UnattendedTest, AGroupNameThatLeadsToTheStartupFolderIsNotRemoved) {
  ASSERT_EQ(Setup("/S /D=" + dest), 0u);
  char startup[MAX_PATH] = "";
  ASSERT_EQ(SHGetFolderPathA(nullptr, CSIDL_STARTUP, nullptr, SHGFP_TYPE_CURRENT, startup), S_OK);
  CreateDirectoryA(startup, nullptr);
  const std::string item = std::string(startup) + "\\Backup.lnk";
  WriteTextFile(item, "the user's");
  WriteString(kClientKey, "Program Group", "StartUp");
  EXPECT_EQ(Run(dest + "\\UninstCV.exe", "/S /LOG=" + log), 0u);
  const Lines said = Log();
  EXPECT_NE(std::find(said.begin(), said.end(), "   program group...skipped"), said.end());
  EXPECT_EQ(FileContent(item), "the user's");
  DeleteFileA(item.c_str());
  RemoveTree(GroupFolder());
}

// Another setup or uninstall at work: the second waits for nothing and says so.
TEST_F(UnattendedTest, OneAtATime) {
  SetupWizard first(DistFolder());
  first.WaitPage(kStartHeading);
  EXPECT_EQ(Setup("/S /LOG=" + log + " /D=" + dest), 5u);
  EXPECT_EQ(Log().front(), "Another Corvaline setup or uninstall is running.");
  EXPECT_FALSE(FolderExists(scratch / "Apps"));
  // A wizard started meanwhile says it in a box.
  Process second = Process::Start(DistFolder() + "\\setup.exe", "", DistFolder());
  second.WaitForMsgBox("Another Corvaline setup or uninstall is running.").Answer(IDOK);
  EXPECT_EQ(second.WaitExit(), 5u);
}

// As LocalSystem the wizards refuse too, in a box with the log's words.
TEST_F(UnattendedTest, AsLocalSystemTheWizardsRefuseInABox) {
  SetEnvironmentVariableA(kAsSystem, "1");
  for (const char* args : {"", "-u"}) {
    Process wizard = Process::Start(DistFolder() + "\\setup.exe", args, DistFolder());
    MsgBox box = wizard.WaitForMsgBox(
        "Corvaline installs for one user: run it as that user (Intune: install behaviour User)");
    EXPECT_EQ(box.Buttons(), std::vector<std::string>{"OK"}) << args;
    box.Answer(IDOK);
    EXPECT_EQ(wizard.WaitExit(), 8u) << args;
  }
  SetEnvironmentVariableA(kAsSystem, nullptr);
  EXPECT_FALSE(KeyExists(kClientKey));
}

// What the user has in the installation stays: a file of their own, a file
// they changed, and a link, named like one of setup's files, into their
// Documents (its bytes those setup placed: still not setup's, and what it
// leads to is never touched); in the group, a link to a shortcut of theirs
// under one of setup's names. The run is complete, and says what it kept.
// In Mixmaster's pool, a link that cannot be removed as a link stays, and
// the run says so.
TEST_F(UnattendedTest, TheUninstallerRemovesOnlyWhatSetupInstalled) {
  ASSERT_EQ(Setup("/S /D=" + dest), 0u);
  char documents[MAX_PATH] = "";
  ASSERT_EQ(SHGetFolderPathA(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, documents), S_OK);
  const std::string mine = std::string(documents) + "\\corvaline-e2e-" + std::to_string(GetCurrentProcessId());
  ASSERT_TRUE(CreateDirectoryA(mine.c_str(), nullptr));
  WriteTextFile(mine + "\\licence.txt", FileContent(dest + "\\License.txt"));
  ASSERT_TRUE(CopyFileA((GroupFolder() + "\\ReadMe.LNK").c_str(), (mine + "\\readme.lnk").c_str(), FALSE));
  WriteTextFile(dest + "\\taxes.txt", "the user's");
  WriteTextFile(dest + "\\ReadMe.txt", "changed by the user");
  ASSERT_TRUE(DeleteFileA((dest + "\\License.txt").c_str()));
  ASSERT_TRUE(DeleteFileA((GroupFolder() + "\\ReadMe.LNK").c_str()));
  {
    LinuxLink licence(dest + "\\License.txt", mine + "\\licence.txt");
    LinuxLink shortcut(GroupFolder() + "\\ReadMe.LNK", mine + "\\readme.lnk");
    EXPECT_EQ(Run(dest + "\\UninstCV.exe", "/S /LOG=" + log), 0u);
    EXPECT_EQ(Listing(dest), (Lines{"CV.dbc", "License.txt", "ReadMe.txt", "taxes.txt"}));
    EXPECT_EQ(Listing(GroupFolder()), Lines{"ReadMe.LNK"});
  }
  EXPECT_EQ(FileContent(mine + "\\licence.txt"), FileContent(DistFolder() + "\\License.txt"));
  ShellLinkFields kept;
  EXPECT_TRUE(ReadShellLink(mine + "\\readme.lnk", &kept));
  const Lines said = Log();
  const Lines keptLines = {"   kept (3 files setup did not install)", "      " + dest + "\\License.txt",
                           "      " + dest + "\\ReadMe.txt", "      " + dest + "\\taxes.txt"};
  EXPECT_NE(std::search(said.begin(), said.end(), keptLines.begin(), keptLines.end()), said.end())
      << LinesToText(said);
  EXPECT_EQ(said.back(), "Exit code: 0 (done)");
  EXPECT_FALSE(KeyExists(kClientKey));
  EXPECT_FALSE(KeyExists(kAppsEntryKey));

  const std::string mix = scratch / "Mix";
  InstallMixmaster(mix);
  WriteTextFile(mine + "\\letter.txt", "the user's letter");
  {
    LinuxLink queued(mix + "\\pool\\letter", mine + "\\letter.txt");
    DeleteFileA(log.c_str());
    EXPECT_EQ(Setup("-u /S /LOG=" + log), 3u);
    EXPECT_EQ(Listing(mix), Lines{"pool\\"});
    EXPECT_EQ(Listing(mix + "\\pool"), Lines{"letter"});
  }
  EXPECT_EQ(FileContent(mine + "\\letter.txt"), "the user's letter");
  EXPECT_NE(FileContent(log).find("      " + mix + "\\pool\\letter"), std::string::npos) << FileContent(log);
  EXPECT_TRUE(KeyExists(kMixKey));
  for (const char* file : {"licence.txt", "readme.lnk", "letter.txt"}) DeleteFileA((mine + "\\" + file).c_str());
  RemoveDirectoryA(mine.c_str());
}

// A removal stopped half way, or one that could not finish Mixmaster, leaves
// the way back: the entry in Settings > Apps with the uninstaller. setup.exe
// -u leaves the uninstaller while the entry stays; the uninstaller then
// finishes from the entry, and, the entry gone too, from the record beside it.
TEST_F(UnattendedTest, AnUnfinishedRemovalIsFinished) {
  ASSERT_EQ(Setup("/S /D=" + dest), 0u);
  WriteString(kMixKey, "MixDir", MissingDrive() + "\\Mix");
  EXPECT_EQ(Setup("-u /S /LOG=" + log), 3u);
  EXPECT_FALSE(KeyExists(kClientKey));
  EXPECT_TRUE(KeyExists(kAppsEntryKey));
  EXPECT_EQ(Listing(dest), (Lines{"CV.dbc", "CVSetup.txt", "UninstCV.exe"}));
  DeleteKey(kMixKey);
  // Never "Nothing to un-install" while the entry is listed.
  DeleteFileA(log.c_str());
  EXPECT_EQ(Run(dest + "\\UninstCV.exe", "/S /LOG=" + log), 0u);
  EXPECT_EQ(Log().back(), "Exit code: 0 (done)");
  EXPECT_FALSE(KeyExists(kAppsEntryKey));
  EXPECT_EQ(Listing(dest), Lines{"CV.dbc"});
  WaitForSelfRemoval();

  // Stopped right after the entry went: the record beside the uninstaller.
  ASSERT_EQ(Setup("/S /D=" + dest), 0u);
  for (const std::string& name : Listing(dest))
    if (name != "UninstCV.exe" && name != "CVSetup.txt" && name != "CV.dbc") DeleteFileA((dest + "\\" + name).c_str());
  DeleteKey(kClientKey);
  DeleteKey(kAppsEntryKey);
  EXPECT_EQ(Run(dest + "\\UninstCV.exe", "/S"), 0u);
  EXPECT_EQ(Listing(dest), Lines{"CV.dbc"});
  WaitForSelfRemoval();
  EXPECT_EQ(Run(DistFolder() + "\\setup.exe", "-u /S"), 9u);  // now nothing is left
}

// The uninstaller leaves the folder before it ends: a new installation made
// the moment it has ended keeps its own uninstaller; and a deployment tool's
// job that ends the clean-up copy leaves nothing in the folder (what is in
// the temporary folder goes at the next restart).
TEST_F(UnattendedTest, SelfRemovalCannotHitTheNextInstallation) {
  ASSERT_EQ(Setup("/S /D=" + dest), 0u);
  ASSERT_EQ(Run(dest + "\\UninstCV.exe", "/S"), 0u);
  ASSERT_EQ(Setup("/S /D=" + dest), 0u);
  WaitForSelfRemoval();
  EXPECT_EQ(FileContent(dest + "\\UninstCV.exe"), FileContent(DistFolder() + "\\setup.exe"));

  // A job that kills what the program started, with no way out of it.
  HANDLE job = CreateJobObjectA(nullptr, nullptr);
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  ASSERT_TRUE(SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits));
  STARTUPINFOA start = {};
  start.cb = sizeof start;
  PROCESS_INFORMATION run = {};
  std::string command = "\"" + dest + "\\UninstCV.exe\" /S";
  ASSERT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                             scratch.Path().c_str(), &start, &run));
  ASSERT_TRUE(AssignProcessToJobObject(job, run.hProcess));
  ResumeThread(run.hThread);
  EXPECT_EQ(WaitForSingleObject(run.hProcess, 60000), WAIT_OBJECT_0);
  CloseHandle(run.hThread);
  CloseHandle(run.hProcess);
  const DWORD pid = run.dwProcessId;
  CloseHandle(job);
  EXPECT_EQ(Listing(dest), Lines{"CV.dbc"});
  // Whether or not the copy got to it first, the moved file is the system's
  // to delete at the next restart.
  EXPECT_NE(PendingDeletions().find("~cvun" + std::to_string(pid) + "_"), std::string::npos) << PendingDeletions();
}

// A package manager has no address to give and often no display: the first
// install goes ahead and leaves the templates to the client.
TEST_F(UnattendedTest, AFirstInstallNeedsNoAddressAndNoDisplay) {
  const char* session = std::getenv("CV_TEST_NO_DESKTOP");
  if (!session || std::string(session) != "1") GTEST_SKIP() << "runs in the no-display session only";
  EXPECT_EQ(Setup("/S /LOG=" + log + " /D=" + dest), 0u);
  const Lines said = Log();
  EXPECT_NE(std::find(said.begin(), said.end(), "   default templates...skipped"), said.end());
  EXPECT_EQ(said.back(), "Exit code: 0 (done)");
  EXPECT_TRUE(FileExists(dest + "\\CV.dbc"));
  EXPECT_EQ(Listing(GroupFolder()).size(), 5u);
  EXPECT_EQ(Cvdb({"get", dest + "\\CV.dbc", "default", "message"}), Lines{});
}

}  // namespace
}  // namespace e2e
