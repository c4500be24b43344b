// The removal on real folders and keys: what stays, what goes, and the log.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

#include "tests/sys_win/scratch.h"
#include "tests/uninstall/uninstall_fixture.h"
#include "uninstall/UninstDlg.h"
#include "common/apps_entry.h"
#include "removal/folder_cleanup.h"
#include "sys/registry.h"

namespace {

using UninstFilesStep = UninstallTest;

// Only what setup installed goes, as it installed it: with a record, the
// files it names that still hold the recorded bytes; without one (an earlier
// installation), the names an earlier setup used. The database stays
// unmentioned, the uninstaller and the record stay for the last step, and
// what the user has there stays and is listed. A link named like one of
// setup's files is not setup's, and what it leads to is never touched.
TEST_F(UninstFilesStep, OnlySetupsOwnFilesGoAsInstalled) {
  enum What { Gone, Kept, Stays };
  const struct {
    const char* name;
    bool recorded;
    What withRecord, without;
  } rows[] = {{"CV.exe", true, Gone, Gone},
              {"cv.INI", true, Gone, Gone},
              {"CVFiles.txt", true, Gone, Gone},
              {"ReadMe.txt", true, Kept, Gone},  // changed by the user after the install
              {"notes.txt", false, Kept, Kept},
              {"ReadMe.txt.", false, Kept, Kept},
              {"QuickStart.rtf", true, Kept, Kept},  // a link to the user's own file
              {"CV.dbc", false, Stays, Stays},
              {"UninstCV.exe", true, Stays, Stays},
              {"Mail\\", false, Kept, Kept}};
  ScratchDir outside("linked");
  WriteTextFile(outside / "guide.rtf", "the user's guide");
  for (const bool withRecord : {true, false}) {
    ScratchDir root(withRecord ? "record" : "norecord");
    std::unique_ptr<LinuxLink> link;  // gone before the folder: deleting it would delete its target
    Lines recorded, kept, stays;
    for (const auto& row : rows) {
      const std::string name = row.name;
      if (name.back() == '\\')
        MakeDirs(root / name);
      else if (name == "QuickStart.rtf")
        link = std::make_unique<LinuxLink>(root / name, outside / "guide.rtf");
      else
        WriteTextFile("\\\\?\\" + root / name, name);
      if (row.recorded) recorded.push_back(name);
      const What what = withRecord ? row.withRecord : row.without;
      if (what == Kept) kept.push_back(root / name);
      if (what != Gone) stays.push_back(name);
    }
    InstallRecord record;
    if (withRecord) {
      record = WriteInstallRecord(root.Path(), recorded);
      stays.push_back(kInstallRecordName);
    }
    WriteTextFile(root / "ReadMe.txt", "README.TXT");  // the same size, other bytes
    std::sort(kept.begin(), kept.end());
    std::sort(stays.begin(), stays.end());

    const FilesOutcome outcome = RemoveClientFiles(root.Path(), withRecord ? &record : nullptr);
    EXPECT_EQ(outcome.left, Lines()) << withRecord;
    EXPECT_EQ(outcome.kept, kept) << withRecord;
    EXPECT_EQ(FolderNames(root.Path()), stays) << withRecord;
    EXPECT_EQ(ReadTextFile(outside / "guide.rtf"), "the user's guide");
  }
}

// Names a Linux tool or a "\\?\" writer leaves, with a trailing dot or blank:
// the system reads them as the database, which stays unmentioned; the step
// deletes each file by its own name, and "notes.txt." is not the recorded
// notes.txt.
TEST_F(UninstFilesStep, ClientKeepsNamesTheSystemReadsAsItsDatabases) {
  ScratchDir root("trailing");
  for (const char* name : {"CV.dbc", "cv.pgp", "cv.dbc.", "cv.pgp ", "CV.PGP.BAK. .", "notes.txt",
                           "notes.txt."})
    WriteTextFile("\\\\?\\" + root / name, "x");
  const InstallRecord record = WriteInstallRecord(root.Path(), {"notes.txt"});
  const FilesOutcome outcome = RemoveClientFiles(root.Path(), &record);
  EXPECT_EQ(outcome.left, Lines());
  EXPECT_EQ(outcome.kept, Lines({root / "notes.txt."}));
  EXPECT_EQ(FolderNames(root.Path()), Lines({"CV.PGP.BAK. .", "CV.dbc", "CVSetup.txt", "cv.dbc.",
                                             "cv.pgp", "cv.pgp ", "notes.txt."}));
}

// Deeper than the old path limit every file is still reached, through the
// "\\?\" form and the wide functions, and goes.
TEST_F(UninstFilesStep, ClientFilesBeyondThePathLimitGo) {
  ScratchDir root("deep");
  std::string folder = root.Path();
  while (folder.size() < 300) {
    folder += std::string(40, 'd');
    MakeDir("\\\\?\\" + folder);
    folder += "\\";
  }
  for (const char* name : {"CV.exe", "ReadMe.txt", "CV.dbc"}) WriteTextFile("\\\\?\\" + folder + name, name);
  EXPECT_EQ(RemoveClientFiles(folder, nullptr).left, Lines());
  EXPECT_EQ(FolderNames("\\\\?\\" + folder), Lines({"CV.dbc"}));
}

// A recorded file another program holds cannot be read to tell whose it is:
// it stays, and the step says so; the rest goes.
TEST_F(UninstFilesStep, ClientFileInUseStaysAndTheRestGoes) {
  ScratchDir root("inuse");
  WriteTextFile(root / "License.txt", "a");
  WriteTextFile(root / "cv.exe", "held");
  WriteTextFile(root / "ReadMe.txt", "z");
  const InstallRecord record =
      WriteInstallRecord(root.Path(), {"License.txt", "cv.exe", "ReadMe.txt"});
  for (const InstallRecord* rule : {&record, static_cast<const InstallRecord*>(nullptr)}) {
    HeldFile held(root / "cv.exe");
    ASSERT_TRUE(held.Held());
    EXPECT_EQ(RemoveClientFiles(root.Path(), rule).left, Lines({root / "cv.exe"}));
    EXPECT_EQ(ClientFilesToDelete(root.Path(), rule), Lines({root / "cv.exe"}));
  }
  EXPECT_EQ(FolderNames(root.Path()), Lines({"CVSetup.txt", "cv.exe"}));
}

// A folder with a further attribute is listed as a file: the delete fails on
// it and its content is not touched.
TEST_F(UninstFilesStep, ClientLeavesAHiddenFolderAlone) {
  ScratchDir root("hidden");
  MakeDirs(root / "Attic");
  WriteTextFile(root / "Attic\\old.txt", "old");
  ASSERT_TRUE(SetFileAttributesA((root / "Attic").c_str(), FILE_ATTRIBUTE_HIDDEN));
  WriteTextFile(root / "readme.txt", "r");

  const FilesOutcome outcome = RemoveClientFiles(root.Path(), nullptr);
  EXPECT_EQ(outcome.left, Lines());
  EXPECT_EQ(outcome.kept, Lines({root / "Attic\\"}));
  EXPECT_EQ(FolderNames(root.Path()), Lines({"Attic\\"}));
  EXPECT_EQ(ReadTextFile(root / "Attic\\old.txt"), "old");
}

TEST_F(UninstFilesStep, MissingFoldersAreNoWork) {
  ScratchDir root("missingstep");
  EXPECT_EQ(RemoveClientFiles(root / "gone\\", nullptr).left, Lines());
  EXPECT_EQ(RemoveMixmasterFiles(root / "gone\\").left, Lines());
  EXPECT_EQ(RemoveClientFiles("", nullptr).left, Lines());
  EXPECT_EQ(RemoveMixmasterFiles("").left, Lines());
}

TEST_F(UninstFilesStep, MixmasterGoesWithItsNestedPool) {
  ScratchDir root("mixpool");
  const std::string mix = root / "Mixmaster";
  MakeDirs(mix + "\\Pool\\out\\deep");
  WriteTextFile(mix + "\\mix.exe", "m");
  WriteTextFile(mix + "\\mix.cfg", "c");
  WriteTextFile(mix + "\\Pool\\p1", "1");
  WriteTextFile(mix + "\\Pool\\out\\p2", "2");
  WriteTextFile(mix + "\\Pool\\out\\deep\\p3", "3");

  EXPECT_EQ(RemoveMixmasterFiles(mix).left, Lines());
  EXPECT_EQ(GetFileAttributesA(mix.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(FolderNames(root.Path()), Lines());
}

TEST_F(UninstFilesStep, AnotherSubfolderKeepsMixmastersFolder) {
  ScratchDir root("mixkeys");
  const std::string mix = root / "Mixmaster";
  MakeDirs(mix + "\\pool\\sub");
  MakeDirs(mix + "\\keys");
  WriteTextFile(mix + "\\mix.exe", "m");
  WriteTextFile(mix + "\\pool\\sub\\p", "p");
  WriteTextFile(mix + "\\keys\\pubring.mix", "k");

  RemoveMixmasterFiles(mix + "\\");
  EXPECT_EQ(FolderNames(mix + "\\"), Lines({"keys\\"}));
  EXPECT_EQ(ReadTextFile(mix + "\\keys\\pubring.mix"), "k");
}

TEST_F(UninstFilesStep, HiddenFolderKeepsMixmastersFolder) {
  ScratchDir root("mixhidden");
  const std::string mix = root / "Mixmaster";
  MakeDirs(mix + "\\Secret");
  WriteTextFile(mix + "\\Secret\\s", "s");
  WriteTextFile(mix + "\\mix.exe", "m");
  ASSERT_TRUE(SetFileAttributesA((mix + "\\Secret").c_str(), FILE_ATTRIBUTE_SYSTEM));

  EXPECT_EQ(RemoveMixmasterFiles(mix).left, Lines());
  EXPECT_EQ(FolderNames(mix + "\\"), Lines({"Secret\\"}));
  EXPECT_EQ(ReadTextFile(mix + "\\Secret\\s"), "s");
}

// A pool file another program holds, and links into the user's files (which
// Wine shows as a plain file and folder, and which no call could delete
// without deleting what they lead to): they stay, and are reported; what
// they lead to is untouched. A running program holding the pool is seen
// before anything goes.
TEST_F(UninstFilesStep, WhatMixmastersStepCannotRemoveStaysAndIsReported) {
  ScratchDir root("poolheld"), outside("poolout");
  const std::string mix = root / "Mixmaster";
  MakeDirs(mix + "\\pool\\out");
  MakeDirs(outside / "letters");
  WriteTextFile(outside / "letters\\draft.txt", "the user's draft");
  WriteTextFile(outside / "taxes.txt", "the user's taxes");
  WriteTextFile(mix + "\\pool\\out\\held", "h");
  WriteTextFile(mix + "\\pool\\free", "f");
  WriteTextFile(mix + "\\mix.exe", "m");
  LinuxLink fileLink(mix + "\\pool\\queued", outside / "taxes.txt");
  LinuxLink folderLink(mix + "\\pool\\out\\letters", outside / "letters");
  LinuxLink topLink(mix + "\\mix.cfg", outside / "taxes.txt");
  HeldFile held(mix + "\\pool\\out\\held");
  ASSERT_TRUE(held.Held());
  InstallMixmaster(mix);
  const Lines candidates = MixmasterFilesToDelete(mix);
  EXPECT_NE(std::find(candidates.begin(), candidates.end(), mix + "\\pool\\out\\held"),
            candidates.end());
  const InstalledProducts products = ReadInstalledProducts();
  const Lines inUse = HeldByRunningClient(products, {false, true});
  EXPECT_EQ(inUse, Lines({mix + "\\pool\\out\\held"}));
  EXPECT_EQ(HeldFilesText(products, inUse),
            "A program holds files of Mixmaster open. Close it, then click Retry.");

  EXPECT_EQ(RemoveMixmasterFiles(mix).left,
            Lines({mix + "\\mix.cfg", mix + "\\pool\\out\\held", mix + "\\pool\\out\\letters",
                   mix + "\\pool\\queued"}));
  EXPECT_EQ(FolderNames(mix + "\\"), Lines({"mix.cfg", "pool\\"}));
  EXPECT_EQ(FolderNames(mix + "\\pool\\"), Lines({"out\\", "queued"}));
  EXPECT_EQ(ReadTextFile(outside / "taxes.txt"), "the user's taxes");
  EXPECT_EQ(ReadTextFile(outside / "letters\\draft.txt"), "the user's draft");
}

class UninstRemoval : public UninstallTest {
 protected:
  // One folder for both, with a pool, holding files of these names.
  std::string InstallBothIn(const ScratchDir& root, std::initializer_list<const char*> names) {
    const std::string dir = root / "Both";
    MakeDirs(dir + "\\pool");
    for (const char* name : names) WriteTextFile(dir + "\\" + name, name);
    InstallClient(dir);
    InstallMixmaster(dir);
    return dir;
  }
};

// The client's and Mixmaster's own trees, both removed in one run.
TEST_F(UninstRemoval, WholeRunLogsEveryStepInOrder) {
  ASSERT_TRUE(WaitForProgramManager());
  ScratchDir root("wholerun");
  const std::string app = root / "Corvaline";
  const std::string mix = root / "Mixmaster";
  MakeDirs(app + "\\Mail");
  MakeDirs(mix + "\\pool");
  for (const char* name : {"cv.exe", "CV.dbc", "help.txt", "UninstCV.exe"})
    WriteTextFile(app + "\\" + name, name);
  WriteTextFile(mix + "\\mix.exe", "m");
  WriteTextFile(mix + "\\pool\\p", "p");
  InstallClient(app, "Corvaline Test Group None");
  InstallMixmaster(mix);
  CreateEmptyKey(std::string(kClientKey) + "\\Sub");
  CreateEmptyKey(AppsEntryKey());

  TUninstWiz wizard;
  wizard.RunRemoval();
  const Lines log = {"Removing Corvaline...",
                     "   program group...done",
                     "   program files...done",
                     "   kept (2 files setup did not install)",
                     "      " + app + "\\Mail\\",
                     "      " + app + "\\help.txt",
                     "   registry key...done",
                     "Removing Mixmaster...",
                     "   program files...done",
                     "   registry key...done",
                     "Done!"};
  EXPECT_EQ(wizard.RichEdit2.GetLines(), log);
  EXPECT_EQ(wizard.RichEdit2.Text(), LinesToText(log).substr(0, LinesToText(log).size() - 2));
  EXPECT_TRUE(boxes.Count() == 0u);
  // The uninstaller (not the one running) went last, with the entry.
  EXPECT_EQ(FolderNames(app + "\\"), Lines({"CV.dbc", "Mail\\", "help.txt"}));
  EXPECT_EQ(GetFileAttributesA(mix.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_FALSE(KeyExists(kClientKey));
  EXPECT_FALSE(KeyExists(kMixKey));
  EXPECT_FALSE(KeyExists(AppsEntryKey()));
  EXPECT_EQ(wizard.Label4.Text(), "Un-Installation complete!");
  EXPECT_EQ(wizard.Label6.Text(), "Thanks!");
  EXPECT_FALSE(wizard.BackBtn.Enabled());
  EXPECT_FALSE(wizard.NextBtn.Enabled());
  EXPECT_FALSE(wizard.CancelBtn.Enabled());
}

// Files held by a running client and by Mixmaster: each step says what it
// left, ten paths at most, the heading does not claim success, and both keys
// stay so that the removal can be run again. The record names no group: the
// key's is not setup's.
TEST_F(UninstRemoval, WhatStaysIsReportedAndTheRunIsIncomplete) {
  ASSERT_TRUE(WaitForProgramManager());
  ScratchDir root("leftovers");
  const std::string app = root / "Corvaline", mix = root / "Mixmaster";
  MakeDirs(app);
  MakeDirs(mix + "\\pool");
  std::vector<std::unique_ptr<HeldFile>> held;
  Lines shown, names;
  for (int i = 10; i < 22; ++i) {
    names.push_back("held" + std::to_string(i) + ".dll");
    WriteTextFile(app + "\\" + names.back(), "in use");
    if (i < 20) shown.push_back("      " + app + "\\" + names.back());
  }
  WriteInstallRecord(app, names);
  for (const std::string& name : names)
    held.push_back(std::make_unique<HeldFile>(app + "\\" + name));
  WriteTextFile(mix + "\\pool\\queued", "q");
  held.push_back(std::make_unique<HeldFile>(mix + "\\pool\\queued"));
  InstallClient(app, "Corvaline Test Group None");
  InstallMixmaster(mix);

  TUninstWiz wizard;
  wizard.RunRemoval();
  Lines log = {"Removing Corvaline...", "   program group...skipped", "   program files...failed"};
  log.insert(log.end(), shown.begin(), shown.end());
  for (const char* line : {"      and 2 more", "   registry key...kept", "Removing Mixmaster...",
                           "   program files...failed"})
    log.push_back(line);
  log.push_back("      " + mix + "\\pool\\queued");
  for (const char* line : {"   registry key...kept", "Done!"}) log.push_back(line);
  EXPECT_EQ(wizard.RichEdit2.GetLines(), log);
  EXPECT_EQ(wizard.Label4.Text(), "Un-Installation incomplete!");
  EXPECT_EQ(wizard.Result(), ExitCode::FailedSomethingLeft);
  EXPECT_EQ(FolderNames(mix + "\\pool\\"), Lines({"queued"}));
  EXPECT_TRUE(KeyExists(kClientKey));
  EXPECT_TRUE(KeyExists(kMixKey));
}

// The client gone but Mixmaster's pool held: the entry in Settings > Apps
// stays, the way back to finish the removal.
TEST_F(UninstRemoval, TheAppsEntryStaysWhileAnyProductIsLeft) {
  ScratchDir root("entrystays");
  const std::string app = root / "Corvaline", mix = root / "Mixmaster";
  MakeDirs(app);
  MakeDirs(mix + "\\pool");
  WriteTextFile(app + "\\cv.exe", "x");
  WriteTextFile(mix + "\\pool\\queued", "q");
  HeldFile held(mix + "\\pool\\queued");
  InstallClient(app, "Corvaline Test Group None");
  InstallMixmaster(mix);
  CreateEmptyKey(AppsEntryKey());

  TUninstWiz wizard;
  wizard.RunRemoval();
  EXPECT_FALSE(KeyExists(kClientKey));
  EXPECT_TRUE(KeyExists(kMixKey));
  EXPECT_TRUE(KeyExists(AppsEntryKey()));
  EXPECT_EQ(wizard.Result(), ExitCode::FailedSomethingLeft);
  Registry().DeleteKey(AppsEntryKey());
}

TEST_F(UninstRemoval, OnlyMixmasterChecked) {
  ScratchDir root("onlymix");
  const std::string app = root / "Corvaline";
  MakeDirs(app);
  WriteTextFile(app + "\\cv.exe", "x");
  InstallClient(app);
  InstallMixmaster(root / "Mixmaster");

  TUninstWiz wizard;
  wizard.AppEntries.SetChecked(false);
  wizard.RunRemoval();
  EXPECT_EQ(wizard.RichEdit2.GetLines(),
            Lines({"Removing Mixmaster...", "   program files...done", "   registry key...done",
                   "Done!"}));
  EXPECT_TRUE(KeyExists(kClientKey));
  EXPECT_FALSE(KeyExists(kMixKey));
  EXPECT_EQ(ReadTextFile(app + "\\cv.exe"), "x");
}

// One folder for both: the client's step spares the databases, and so does
// Mixmaster's step, which takes everything else; the folder stays with them.
TEST_F(UninstRemoval, SameFolderClientFirstThenMixmaster) {
  ScratchDir root("samefolder");
  const std::string dir = InstallBothIn(root, {"cv.dbc", "CV.PGP", "cv.pgp.bak", "cv.exe", "mix.exe"});

  EXPECT_EQ(RemoveClientFiles(dir, nullptr).left, Lines());
  EXPECT_EQ(FolderNames(dir + "\\"),
            Lines({"CV.PGP", "cv.dbc", "cv.pgp.bak", "mix.exe", "pool\\"}));
  EXPECT_EQ(RemoveMixmasterFiles(dir).left, Lines());
  EXPECT_EQ(FolderNames(dir + "\\"), Lines({"CV.PGP", "cv.dbc", "cv.pgp.bak"}));
}

// A kept client in Mixmaster's folder: the review says the client stays, the
// coupling still removes Mixmaster, and the client's files and key survive.
TEST_F(UninstRemoval, KeptClientSharingMixmastersFolderKeepsItsFiles) {
  ScratchDir root("keptsame");
  const std::string dir = InstallBothIn(root, {"CV.dbc", "cv.pgp", "uncv.dsk", "mix.exe", "pool\\m1"});

  TUninstWiz wizard;
  ASSERT_EQ(BoxState(wizard.AppEntries), "off, grey");
  ASSERT_EQ(BoxState(wizard.MixEntries), "on, grey");
  wizard.RunRemoval();
  EXPECT_EQ(FolderNames(dir + "\\"), Lines({"CV.dbc", "cv.pgp", "uncv.dsk"}));
  EXPECT_EQ(ReadTextFile(dir + "\\CV.dbc"), "CV.dbc");
  EXPECT_TRUE(KeyExists(kClientKey));
  EXPECT_EQ(wizard.RichEdit2.GetLines(),
            Lines({"Removing Mixmaster...", "   program files...done", "   registry key...done",
                   "Done!"}));
}

TEST_F(UninstRemoval, MissingFolderStillLogsItsStep) {
  ScratchDir root("missingfolder");
  InstallMixmaster(root / "Never Made");
  TUninstWiz wizard;
  wizard.RunRemoval();
  EXPECT_EQ(wizard.RichEdit2.GetLines(),
            Lines({"Removing Mixmaster...", "   program files...done", "   registry key...done", "Done!"}));
  EXPECT_FALSE(KeyExists(kMixKey));
}

// Nothing says the product's files are gone: no folder in the key, a folder
// value of another type, a file where the folder should be, a drive that is
// not there, a record that cannot be read or is another user's (whose files
// stay). The run is incomplete and says why; the key and the entry in
// Settings > Apps stay, the way back to finish it later.
TEST_F(UninstRemoval, NoProofNoCompleteRemoval) {
  ScratchDir root("noproof");
  WriteTextFile(root / "a file", "x");
  MakeDirs(root / "damaged");
  MakeDirs(root / "theirs");
  WriteTextFile(root / "theirs\\CV.exe", "theirs");
  char drive[] = "Q:\\";
  while (GetDriveTypeA(drive) != DRIVE_NO_ROOT_DIR) ++drive[0];
  const std::string offline = std::string(drive) + "Corvaline";
  const struct {
    const char* name;
    std::function<void()> arrange;
    Lines said;
  } rows[] = {
      {"no AppDir",
       [&] {
         InstallClient("");
         DeleteValue(kClientKey, "AppDir");
       },
       {"   program files...failed (the registry names no folder)"}},
      {"AppDir a number",
       [&] {
         InstallClient("");
         WriteNumber(kClientKey, "AppDir", 7);
       },
       {"   program files...failed (the registry names no folder)"}},
      {"AppDir a file",
       [&] { InstallClient(root / "a file"); },
       {"   program files...failed (it is not a folder)", "      " + root / "a file"}},
      {"AppDir on a drive not there",
       [&] { InstallClient(offline); },
       {"   program files...failed (it cannot be reached)", "      " + offline}},
      {"a damaged record",
       [&] {
         InstallClient(root / "damaged");
         WriteTextFile(root / "damaged\\CVSetup.txt", "Corvaline install record 1\r\nuser\tS-1-5-18\r\n");
       },
       {"   program files...failed (its install record cannot be used: line 3: the record is cut short)",
        "      " + root / "damaged\\CVSetup.txt"}},
      {"another user's record",
       [&] {
         InstallClient(root / "theirs");
         InstallRecord theirs = WriteInstallRecord(root / "theirs", {});
         theirs.user = "S-1-5-21-1-2-3-1001";
         std::string bytes;
         FormatInstallRecord(theirs, &bytes);
         WriteTextFile(root / "theirs\\CVSetup.txt", bytes);
       },
       {"   program files...failed (its install record cannot be used: it is another user's)"}},
      {"no MixDir",
       [&] { CreateEmptyKey(kMixKey); },
       {"   program files...failed (the registry names no folder)"}},
  };
  for (const auto& row : rows) {
    DeleteKeys();
    CreateEmptyKey(AppsEntryKey());
    row.arrange();
    TUninstWiz wizard;
    wizard.RunRemoval();
    const Lines log = wizard.RichEdit2.GetLines();
    EXPECT_NE(std::search(log.begin(), log.end(), row.said.begin(), row.said.end()), log.end())
        << row.name << "\n"
        << LinesToText(log);
    EXPECT_NE(std::find(log.begin(), log.end(), "   registry key...kept"), log.end()) << row.name;
    EXPECT_EQ(wizard.Result(), ExitCode::FailedSomethingLeft) << row.name;
    EXPECT_EQ(wizard.Label4.Text(), "Un-Installation incomplete!") << row.name;
    EXPECT_TRUE(KeyExists(kClientKey) || KeyExists(kMixKey)) << row.name;
    EXPECT_TRUE(KeyExists(AppsEntryKey())) << row.name;
  }
  EXPECT_EQ(ReadTextFile(root / "theirs\\CV.exe"), "theirs");
  Registry().DeleteKey(AppsEntryKey());
}

// The client's key is gone but its entry in Settings > Apps is there (a run
// stopped half way, or one that left Mixmaster unfinished): the uninstaller
// finishes what the entry and the record lead to, and the entry goes last.
TEST_F(UninstRemoval, AnUnfinishedRemovalIsFinishedFromItsEntry) {
  ScratchDir root("unfinished");
  const std::string app = root / "Corvaline";
  MakeDirs(app);
  for (const char* name : {"CV.exe", "UninstCV.exe", "CV.dbc"})
    WriteTextFile(app + "\\" + name, name);
  WriteInstallRecord(app, {"CV.exe", "UninstCV.exe"});
  Registry entry;
  ASSERT_TRUE(entry.OpenKey("\\" + AppsEntryKey(), true));
  ASSERT_TRUE(entry.WriteText("InstallLocation", app));
  entry.CloseKey();

  TUninstWiz wizard;
  EXPECT_EQ(BoxState(wizard.AppEntries), "on, live");
  EXPECT_TRUE(wizard.NextBtn.Enabled());
  wizard.RunRemoval();
  EXPECT_EQ(wizard.RichEdit2.GetLines(),
            Lines({"Removing Corvaline...", "   program group...skipped", "   program files...done",
                   "   registry key...done", "Done!"}));
  EXPECT_EQ(wizard.Result(), ExitCode::Done);
  EXPECT_FALSE(KeyExists(AppsEntryKey()));
  EXPECT_EQ(FolderNames(app + "\\"), Lines({"CV.dbc"}));

  // An entry whose folder is gone too is all that is left: it goes.
  ASSERT_TRUE(entry.OpenKey("\\" + AppsEntryKey(), true));
  ASSERT_TRUE(entry.WriteText("InstallLocation", root / "gone"));
  entry.CloseKey();
  TUninstWiz again;
  again.RunRemoval();
  EXPECT_EQ(again.Result(), ExitCode::Done);
  EXPECT_FALSE(KeyExists(AppsEntryKey()));
}

// From the Finish button: the question, the wait dialog, the removal, and
// an Exit that closes without asking.
TEST_F(UninstRemoval, FinishRunsTheWaitDialogThenRemoves) {
  ScratchDir root("finish");
  const std::string mix = InstallMixmasterIn(root);

  TUninstWiz wizard;
  wizard.Show();
  wizard.NextBtn.Click();
  wizard.NextBtn.Click();
  ASSERT_EQ(wizard.Notebook.ActivePage(), "Review");
  boxes.Then(IDOK);
  wizard.NextBtn.Click();

  ASSERT_GE(boxes.Count(), 1u);
  EXPECT_EQ(boxes[0].text, "Uninstall now?");
  EXPECT_EQ(boxes.Count(), 1u);
  EXPECT_EQ(wizard.Notebook.ActivePage(), "Finish");
  EXPECT_EQ(wizard.RichEdit2.GetLines().back(), "Done!");
  EXPECT_EQ(GetFileAttributesA(mix.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(wizard.CancelBtn.Text(), "Exit");
  EXPECT_TRUE(wizard.CancelBtn.Enabled());
  EXPECT_FALSE(wizard.NextBtn.Enabled());
  EXPECT_FALSE(wizard.BackBtn.Enabled());

  wizard.CancelBtn.Click();
  EXPECT_EQ(boxes.Count(), 1u);
  EXPECT_FALSE(wizard.Visible());
}

}  // namespace
