// The removal on real folders and keys: what stays, what goes, and the log.
#include <gtest/gtest.h>

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

TEST_F(UninstFilesStep, ClientKeepsItsDatabasesInAnyLetterCase) {
  ScratchDir root("keep");
  for (const char* name : {"CV.DBC", "Cv.Pgp", "cv.pgp.bak", "cv.bak", "cv.exe", "UninstCV.exe",
                           "cv.dbc.old", "xcv.dbc", "cv.pgp.bak.bak", "cv"})
    WriteTextFile(root / name, name);
  MakeDirs(root / "Mail");
  WriteTextFile(root / "Mail\\inbox.txt", "mail");

  EXPECT_EQ(RemoveClientFiles(root.Path()), Lines());
  EXPECT_EQ(FolderNames(root.Path()), Lines({"CV.DBC", "Cv.Pgp", "Mail\\", "cv.pgp.bak"}));
  EXPECT_EQ(ReadTextFile(root / "CV.DBC"), "CV.DBC");
  EXPECT_EQ(ReadTextFile(root / "Mail\\inbox.txt"), "mail");
}

// Names a Linux tool or a "\\?\" writer leaves, with a trailing dot or blank:
// the system reads them as the database; the step deletes each file by its
// own name and keeps these.
TEST_F(UninstFilesStep, ClientKeepsNamesTheSystemReadsAsItsDatabases) {
  ScratchDir root("trailing");
  for (const char* name : {"CV.dbc", "cv.pgp", "cv.dbc.", "cv.pgp ", "CV.PGP.BAK. .", "notes.txt",
                           "notes.txt."})
    WriteTextFile("\\\\?\\" + root / name, name);
  EXPECT_EQ(RemoveClientFiles(root.Path()), Lines());
  EXPECT_EQ(FolderNames(root.Path()), Lines({"CV.PGP.BAK. .", "CV.dbc", "cv.dbc.", "cv.pgp", "cv.pgp "}));
  EXPECT_EQ(ReadTextFile(root / "CV.dbc"), "CV.dbc");
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
  EXPECT_EQ(RemoveClientFiles(folder), Lines());
  EXPECT_EQ(FolderNames("\\\\?\\" + folder), Lines({"CV.dbc"}));
}

TEST_F(UninstFilesStep, ClientFileInUseStaysAndTheRestGoes) {
  ScratchDir root("inuse");
  WriteTextFile(root / "a.txt", "a");
  WriteTextFile(root / "cv.exe", "held");
  WriteTextFile(root / "z.txt", "z");
  {
    HeldFile held(root / "cv.exe");
    ASSERT_TRUE(held.Held());
    EXPECT_EQ(RemoveClientFiles(root.Path()), Lines({root / "cv.exe"}));
  }
  EXPECT_EQ(FolderNames(root.Path()), Lines({"cv.exe"}));
}

// A folder with a further attribute is listed as a file: the delete fails on
// it and its content is not touched.
TEST_F(UninstFilesStep, ClientLeavesAHiddenFolderAlone) {
  ScratchDir root("hidden");
  MakeDirs(root / "Attic");
  WriteTextFile(root / "Attic\\old.txt", "old");
  ASSERT_TRUE(SetFileAttributesA((root / "Attic").c_str(), FILE_ATTRIBUTE_HIDDEN));
  WriteTextFile(root / "readme.txt", "r");

  EXPECT_EQ(RemoveClientFiles(root.Path()), Lines());
  EXPECT_EQ(FolderNames(root.Path()), Lines({"Attic\\"}));
  EXPECT_EQ(ReadTextFile(root / "Attic\\old.txt"), "old");
}

TEST_F(UninstFilesStep, MissingFoldersAreNoWork) {
  ScratchDir root("missingstep");
  EXPECT_EQ(RemoveClientFiles(root / "gone\\"), Lines());
  EXPECT_EQ(RemoveMixmasterFiles(root / "gone\\"), Lines());
  EXPECT_EQ(RemoveClientFiles(""), Lines());
  EXPECT_EQ(RemoveMixmasterFiles(""), Lines());
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

  EXPECT_EQ(RemoveMixmasterFiles(mix), Lines());
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

  EXPECT_EQ(RemoveMixmasterFiles(mix), Lines());
  EXPECT_EQ(FolderNames(mix + "\\"), Lines({"Secret\\"}));
  EXPECT_EQ(ReadTextFile(mix + "\\Secret\\s"), "s");
}

TEST_F(UninstFilesStep, PoolFileInUseKeepsPoolAndFolder) {
  ScratchDir root("poolheld");
  const std::string mix = root / "Mixmaster";
  MakeDirs(mix + "\\pool");
  WriteTextFile(mix + "\\pool\\held", "h");
  WriteTextFile(mix + "\\pool\\free", "f");
  WriteTextFile(mix + "\\mix.exe", "m");
  HeldFile held(mix + "\\pool\\held");
  ASSERT_TRUE(held.Held());

  EXPECT_EQ(RemoveMixmasterFiles(mix), Lines({mix + "\\pool\\held"}));
  EXPECT_EQ(FolderNames(mix + "\\"), Lines({"pool\\"}));
  EXPECT_EQ(FolderNames(mix + "\\pool\\"), Lines({"held"}));
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
  const Lines log = {"Removing Corvaline...",   "   program group...done",
                     "   program files...done", "   registry key...done",
                     "Removing Mixmaster...",   "   program files...done",
                     "   registry key...done",  "Done!"};
  EXPECT_EQ(wizard.RichEdit2.GetLines(), log);
  EXPECT_EQ(wizard.RichEdit2.Text(), LinesToText(log).substr(0, LinesToText(log).size() - 2));
  EXPECT_TRUE(boxes.Count() == 0u);
  EXPECT_EQ(FolderNames(app + "\\"), Lines({"CV.dbc", "Mail\\"}));
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
// stay so that the removal can be run again.
TEST_F(UninstRemoval, WhatStaysIsReportedAndTheRunIsIncomplete) {
  ASSERT_TRUE(WaitForProgramManager());
  ScratchDir root("leftovers");
  const std::string app = root / "Corvaline", mix = root / "Mixmaster";
  MakeDirs(app);
  MakeDirs(mix + "\\pool");
  std::vector<std::unique_ptr<HeldFile>> held;
  Lines shown;
  for (int i = 10; i < 22; ++i) {
    const std::string file = app + "\\held" + std::to_string(i) + ".dll";
    WriteTextFile(file, "in use");
    held.push_back(std::make_unique<HeldFile>(file));
    if (i < 20) shown.push_back("      " + file);
  }
  WriteTextFile(mix + "\\pool\\queued", "q");
  held.push_back(std::make_unique<HeldFile>(mix + "\\pool\\queued"));
  InstallClient(app, "Corvaline Test Group None");
  InstallMixmaster(mix);

  TUninstWiz wizard;
  wizard.RunRemoval();
  Lines log = {"Removing Corvaline...", "   program group...done", "   program files...failed"};
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

  EXPECT_EQ(RemoveClientFiles(dir), Lines());
  EXPECT_EQ(FolderNames(dir + "\\"), Lines({"CV.PGP", "cv.dbc", "cv.pgp.bak", "pool\\"}));
  EXPECT_EQ(RemoveMixmasterFiles(dir), Lines());
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
