// The removal on real folders and keys: what stays, what goes, and the log.
#include <gtest/gtest.h>

#include "tests/sys_win/scratch.h"
#include "tests/uninstall/uninstall_fixture.h"
#include "uninstall/UninstDlg.h"
#include "uninstall/folder_cleanup.h"

namespace {

using UninstFilesStep = UninstallTest;

TEST_F(UninstFilesStep, ClientKeepsItsDatabasesInAnyLetterCase) {
  ScratchDir root("keep");
  for (const char* name : {"CV.DBC", "Cv.Pgp", "cv.pgp.bak", "cv.bak", "cv.exe", "UninstCV.exe",
                           "cv.dbc.old", "xcv.dbc", "cv.pgp.bak.bak", "cv"})
    WriteTextFile(root / name, name);
  MakeDirs(root / "Mail");
  WriteTextFile(root / "Mail\\inbox.txt", "mail");

  EXPECT_TRUE(RemoveClientFiles(root.Path()));
  EXPECT_EQ(FolderNames(root.Path()), Lines({"CV.DBC", "Cv.Pgp", "Mail\\", "cv.pgp.bak"}));
  EXPECT_EQ(ReadTextFile(root / "CV.DBC"), "CV.DBC");
  EXPECT_EQ(ReadTextFile(root / "Mail\\inbox.txt"), "mail");
}

TEST_F(UninstFilesStep, ClientFileInUseStaysAndTheRestGoes) {
  ScratchDir root("inuse");
  WriteTextFile(root / "a.txt", "a");
  WriteTextFile(root / "cv.exe", "held");
  WriteTextFile(root / "z.txt", "z");
  {
    HeldFile held(root / "cv.exe");
    ASSERT_TRUE(held.Held());
    EXPECT_TRUE(RemoveClientFiles(root.Path()));
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

  EXPECT_TRUE(RemoveClientFiles(root.Path()));
  EXPECT_EQ(FolderNames(root.Path()), Lines({"Attic\\"}));
  EXPECT_EQ(ReadTextFile(root / "Attic\\old.txt"), "old");
}

TEST_F(UninstFilesStep, MissingFoldersAreNoWork) {
  ScratchDir root("missingstep");
  EXPECT_FALSE(RemoveClientFiles(root / "gone\\"));
  EXPECT_FALSE(RemoveMixmasterFiles(root / "gone\\"));
  EXPECT_FALSE(RemoveClientFiles(""));
  EXPECT_FALSE(RemoveMixmasterFiles(""));
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

  EXPECT_TRUE(RemoveMixmasterFiles(mix));
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

  EXPECT_FALSE(RemoveMixmasterFiles(mix));
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

  EXPECT_FALSE(RemoveMixmasterFiles(mix));
  EXPECT_EQ(FolderNames(mix + "\\"), Lines({"pool\\"}));
  EXPECT_EQ(FolderNames(mix + "\\pool\\"), Lines({"held"}));
}

using UninstRemoval = UninstallTest;

// The client's and Mixmaster's own trees, both removed in one run; a file
// that cannot go changes nothing in the log.
TEST_F(UninstRemoval, WholeRunLogsEveryStepInOrder) {
  ASSERT_TRUE(WaitForProgramManager());
  ScratchDir root("wholerun");
  const std::string app = root / "Corvaline";
  const std::string mix = root / "Mixmaster";
  MakeDirs(app + "\\Mail");
  MakeDirs(mix + "\\pool");
  for (const char* name : {"cv.exe", "CV.dbc", "help.txt", "UninstCV.exe"})
    WriteTextFile(app + "\\" + name, name);
  // The uninstaller running from the client's folder holds its own file.
  HeldFile running(app + "\\UninstCV.exe");
  ASSERT_TRUE(running.Held());
  WriteTextFile(mix + "\\mix.exe", "m");
  WriteTextFile(mix + "\\pool\\p", "p");
  InstallClient(app, "Corvaline Test Group None");
  InstallMixmaster(mix);
  CreateEmptyKey(std::string(kClientKey) + "\\Sub");

  TUninstWiz wizard;
  wizard.RunRemoval();
  const Lines log = {"Removing Corvaline...",   "   program group...done",
                     "   program files...done", "   registry key...done",
                     "Removing Mixmaster...",   "   program files...done",
                     "   registry key...done",  "Done!"};
  EXPECT_EQ(wizard.RichEdit2.GetLines(), log);
  EXPECT_EQ(wizard.RichEdit2.Text(), LinesToText(log).substr(0, LinesToText(log).size() - 2));
  EXPECT_TRUE(boxes.Count() == 0u);
  EXPECT_EQ(FolderNames(app + "\\"), Lines({"CV.dbc", "Mail\\", "UninstCV.exe"}));
  EXPECT_EQ(GetFileAttributesA(mix.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_FALSE(KeyExists(kClientKey));
  EXPECT_FALSE(KeyExists(kMixKey));
  EXPECT_EQ(wizard.Label4.Text(), "Un-Installation complete!");
  EXPECT_EQ(wizard.Label6.Text(), "Thanks!");
  EXPECT_FALSE(wizard.BackBtn.Enabled());
  EXPECT_FALSE(wizard.NextBtn.Enabled());
  EXPECT_FALSE(wizard.CancelBtn.Enabled());
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

// One folder for both: the client's step spares the databases, Mixmaster's
// step then takes everything, the folder included.
TEST_F(UninstRemoval, SameFolderClientFirstThenMixmaster) {
  ScratchDir root("samefolder");
  const std::string dir = root / "Both";
  MakeDirs(dir + "\\pool");
  for (const char* name : {"cv.dbc", "CV.PGP", "cv.pgp.bak", "cv.exe", "mix.exe"})
    WriteTextFile(dir + "\\" + name, name);
  InstallClient(dir);
  InstallMixmaster(dir);

  TUninstWiz wizard;
  wizard.RichEdit2.Clear();  // the steps alone, without RunRemoval
  wizard.RemoveAppFiles();
  EXPECT_EQ(FolderNames(dir + "\\"), Lines({"CV.PGP", "cv.dbc", "cv.pgp.bak", "pool\\"}));
  wizard.RemoveMixFiles();
  EXPECT_EQ(GetFileAttributesA(dir.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(wizard.RichEdit2.GetLines(),
            Lines({"   program files...done", "   program files...done"}));
}

TEST_F(UninstRemoval, MissingFolderStillLogsItsStep) {
  ScratchDir root("missingfolder");
  InstallMixmaster(root / "Never Made");
  TUninstWiz wizard;
  wizard.RichEdit2.Clear();  // the steps alone, without RunRemoval
  wizard.RemoveMixFiles();
  wizard.RemoveMixKey();
  EXPECT_EQ(wizard.RichEdit2.GetLines(),
            Lines({"   program files...done", "   registry key...done"}));
  EXPECT_FALSE(KeyExists(kMixKey));
}

// From the Finish button: the question, the wait dialog, the removal, and
// an Exit that closes without asking.
TEST_F(UninstRemoval, FinishRunsTheWaitDialogThenRemoves) {
  ScratchDir root("finish");
  const std::string mix = root / "Mixmaster";
  MakeDirs(mix);
  WriteTextFile(mix + "\\mix.exe", "m");
  InstallMixmaster(mix);

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
