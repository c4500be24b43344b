// Installing with the real setup.exe of the sample distribution, as a user
// would, and what the installation leaves: files, registry values, the
// default message and article in CV.dbc, the program group; then setup run
// again on that installation.
#include <gtest/gtest.h>

#include <algorithm>

#include "sys/text.h"
#include "tests/e2e/e2e_support.h"
#include "tests/sys_win/held_file.h"
#include "tests/sys_win/link_reader.h"

namespace e2e {
namespace {

using namespace std::chrono_literals;

const char kAddress[] = "Jane Doe <jane.doe@example.org>";
const char kHost[] = "smtp.example.org";
const char kStandInText[] = "This program stands in for the Corvaline client";
const char kRunning[] = "Corvaline is running. Close it, then click Retry.";

Lines DefaultMessage(const std::string& address, const std::string& host) {
  return {"Fcc: outbox", "Host: " + host, "From: " + address, "Chain: *,*,*,*; copies=1",
          "To: ", "Subject: ", "", "~~"};
}

class InstallTest : public E2ETest {
 protected:
  // A destination whose parents do not exist yet.
  std::string dest = scratch / "Apps\\Corvaline Mail";
  std::string Database() const { return dest + "\\CV.dbc"; }

  Lines Record(const std::string& name) { return Cvdb({"get", Database(), "default", name}); }

  // What the distribution holds, setup.exe arriving as the uninstaller.
  Lines ExpectedFiles() const {
    Lines files;
    for (const std::string& name : Listing(DistFolder()))
      files.push_back(Lower(name) == "setup.exe" ? "UninstCV.exe" : name);
    files.push_back("CV.dbc");
    files.push_back("CVSetup.txt");  // the record of what setup installed
    std::sort(files.begin(), files.end());
    return files;
  }

  void Exit(SetupWizard& setup) {
    setup.Press("Exit");
    EXPECT_EQ(setup.Program().WaitExit(), 0u);
  }
};

TEST_F(InstallTest, FirstInstallationAsAUserWould) {
  SetupWizard setup(DistFolder());
  // A trailing backslash typed by the user is not stored.
  setup.FillStart(dest + "\\");
  setup.FillAddress(kAddress, kHost);
  setup.Install();

  // Done: only Exit is left, and the client is to be started.
  EXPECT_FALSE(setup.Button("Back").Enabled());
  EXPECT_FALSE(setup.Button("Next").Enabled());
  EXPECT_TRUE(setup.Button("Exit").Enabled());
  EXPECT_TRUE(setup.Button("Run Corvaline").Checked());

  // Every file of the distribution, byte for byte; setup.exe as UninstCV.exe.
  EXPECT_EQ(Listing(dest), ExpectedFiles());
  for (const std::string& name : Listing(DistFolder())) {
    std::string target = Lower(name) == "setup.exe" ? "UninstCV.exe" : name;
    EXPECT_EQ(FileContent(dest + "\\" + target), FileContent(DistFolder() + "\\" + name)) << name;
  }
  // CV.dbc grew from CV.ini: the template's settings are in it.
  const std::string version = LinesToText(Cvdb({"init-get", DistFolder() + "\\CV.ini", "Version"}));
  ASSERT_FALSE(Trim(version).empty());
  EXPECT_EQ(LinesToText(Cvdb({"init-get", Database(), "Version"})), version);

  // The registry: six values with their types.
  EXPECT_EQ(ValueNames(kClientKey),
            (Lines{"AppDir", "Program Group", "Update", "Version", "WindowPos", "WindowState"}));
  struct Value {
    const char* name;
    DWORD type;
    std::string text;
  };
  const Value values[] = {{"AppDir", REG_SZ, dest},
                          {"Version", REG_SZ, Trim(version)},
                          {"Program Group", REG_SZ, "Corvaline"},
                          {"WindowState", REG_DWORD, "0"},
                          {"WindowPos", REG_SZ, "-1,-1,565,350"},
                          {"Update", REG_DWORD, "1"}};
  for (const Value& v : values) {
    RegValue stored = ReadValue(kClientKey, v.name);
    EXPECT_EQ(stored.type, v.type) << v.name;
    EXPECT_EQ(stored.text, v.text) << v.name;
  }
  EXPECT_FALSE(KeyExists(kMixKey));

  // The default message and article, as the record store reads them.
  EXPECT_EQ(Record("message"), DefaultMessage(kAddress, kHost));
  Lines article = Record("article");
  ASSERT_EQ(article.size(), 10u) << LinesToText(article);
  const Lines message = DefaultMessage(kAddress, kHost);
  EXPECT_EQ(Lines(article.begin(), article.begin() + 4), Lines(message.begin(), message.begin() + 4));
  EXPECT_EQ(article[4].substr(0, 4), "To: ");
  EXPECT_NE(article[4].find('@'), std::string::npos) << "a mail-to-news gateway: " << article[4];
  EXPECT_EQ(Lines(article.begin() + 5, article.end()),
            (Lines{"X-No-Archive: Yes", "Newsgroups: ", "Subject: ", "", "~~"}));

  // The record of what setup placed: for this user, in this folder, each
  // file as the distribution's list has it (setup.exe as the uninstaller),
  // the group, and each shortcut with the target it starts.
  const Lines record = TextToLines(FileContent(dest + "\\CVSetup.txt"));
  const auto recorded = [&record](const std::string& line) {
    return std::find(record.begin(), record.end(), line) != record.end();
  };
  ASSERT_GE(record.size(), 6u);
  EXPECT_EQ(Lines(record.begin(), record.begin() + 5),
            (Lines{"Corvaline install record 1", "user\t" + UserSid(), "version\t" + Trim(version),
                   "folder\t" + dest, "group\t" + GroupFolder()}));
  EXPECT_EQ(record.back().substr(0, 4), "end\t");
  const Lines list = TextToLines(FileContent(DistFolder() + "\\CVFiles.txt"));
  for (size_t i = 1; i < list.size(); ++i) {
    const std::string sha = list[i].substr(0, 64);
    const size_t blank = list[i].find(' ', 65);
    const std::string size = list[i].substr(65, blank - 65), name = list[i].substr(blank + 1);
    EXPECT_TRUE(recorded("file\t" + sha + "\t" + size + "\t" + (name == "setup.exe" ? "UninstCV.exe" : name)))
        << list[i];
  }

  // The program group: five shortcuts into the destination, in lower case.
  EXPECT_EQ(Listing(GroupFolder()),
            (Lines{"Corvaline.LNK", "License.LNK", "QuickStart.LNK", "ReadMe.LNK", "Uninstall CV.LNK"}));
  struct Expected {
    const char *link, *target, *description;
  };
  const Expected shortcuts[] = {{"License.LNK", "License.txt", "License"},
                                {"Corvaline.LNK", "CV.exe", "Corvaline"},
                                {"Uninstall CV.LNK", "UninstCV.exe", "Uninstall Corvaline"},
                                {"QuickStart.LNK", "QuickStart.rtf", "Quick Start"},
                                {"ReadMe.LNK", "ReadMe.txt", "Read Me"}};
  for (const Expected& e : shortcuts) {
    ShellLinkFields link;
    ASSERT_TRUE(ReadShellLink(GroupFolder() + "\\" + e.link, &link));
    const std::string target = Lower(dest + "\\" + e.target);
    EXPECT_EQ(link.path, target) << e.link;
    EXPECT_EQ(link.workingDir, Lower(dest + "\\")) << e.link;
    EXPECT_EQ(link.description, e.description) << e.link;
    EXPECT_EQ(link.iconFile, target) << e.link;
    EXPECT_EQ(link.arguments, "") << e.link;
    EXPECT_TRUE(recorded(std::string("link\t") + e.link + "\t" + target)) << e.link;
  }

  // A first installation opens the group in an Explorer window, which stays
  // until the user closes it.
  const Window explorer = setup.OpenedExplorer();
  ASSERT_TRUE(explorer);
  EXPECT_EQ(explorer.ClassName(), "ExplorerWClass");
  // It opens without taking the focus: keys still go to the Done page.
  for (int i = 0; i < 10; ++i, Sleep(100)) {
    const Window foreground(GetForegroundWindow());
    ASSERT_EQ(foreground, setup.Form()) << "the foreground is " << foreground.Describe();
  }
  automation::Close(explorer);
  automation::WaitGone(explorer);

  // Leaving with Run Corvaline checked starts the installed client in its folder.
  Exit(setup);
  const std::vector<DWORD> started = ChildProcessIds(setup.Program().Id(), "CV.exe");
  ASSERT_EQ(started.size(), 1u) << "the client started by setup";
  const Window client = automation::WaitForWindowShowing(
      started[0], "Corvaline", automation::StaticControl(kStandInText, Control::Match::Prefix));
  const auto line = [&](const std::string& label) {
    return client.Get(automation::StaticControl(label, Control::Match::Prefix)).Text();
  };
  EXPECT_EQ(line("Current folder:"), "Current folder: " + dest);
  // Wine quotes a program path that holds a blank.
  EXPECT_EQ(Lower(RemoveChar(line("Command line:"), '"')), Lower("Command line: " + dest + "\\CV.exe"));
  automation::Click(client.Get(automation::ButtonControl("Close")));
  automation::WaitGone(client);
}

// Setup installs the folder it lies in, whatever folder it was started from,
// and only a folder that holds the client.
TEST_F(InstallTest, SetupInstallsItsOwnFolderWhereverItIsStarted) {
  const std::string lonely = scratch / "Downloads";
  ASSERT_TRUE(CreateDirectoryA(lonely.c_str(), nullptr));
  ASSERT_TRUE(CopyFileA((DistFolder() + "\\setup.exe").c_str(), (lonely + "\\setup.exe").c_str(), FALSE));
  WriteTextFile(lonely + "\\private-notes.txt", "mine");
  {
    SetupWizard bare(lonely);
    bare.FillStart(dest);
    bare.FillAddress(kAddress, kHost);
    bare.Press("Install");
    bare.Box("Install now?").Answer(IDOK);
    bare.Box("The folder\n" + lonely +
                 "\ndoes not hold a complete Corvaline distribution: CV.exe and CV.ini cannot be "
                 "read there.\n\nNothing was installed.",
             "Setup Error")
        .Answer(IDOK);
    bare.WaitPage(kStartHeading);
    EXPECT_FALSE(FolderExists(scratch / "Apps"));
    EXPECT_FALSE(KeyExists(kClientKey));
  }

  // Started from a folder of the user's: that folder's files stay out.
  SetupWizard setup(DistFolder(), lonely);
  setup.FillStart(dest);
  setup.FillAddress(kAddress, kHost);
  setup.Install();
  EXPECT_EQ(Listing(dest), ExpectedFiles());
  const std::string version = LinesToText(Cvdb({"init-get", DistFolder() + "\\CV.ini", "Version"}));
  EXPECT_EQ(ReadValue(kClientKey, "Version").text, Trim(version));
  setup.DontRunClient();
  setup.CloseExplorer();
  Exit(setup);
}

// The one file a user downloads, among the other files of Downloads: it
// installs the files it carries and nothing beside it.
TEST_F(InstallTest, TheOneFileSetupInstallsExactlyWhatItCarries) {
  const std::string downloads = scratch / "Downloads";
  ASSERT_TRUE(CreateDirectoryA(downloads.c_str(), nullptr));
  const std::string oneFile = downloads + "\\Corvaline-setup (1).exe";  // as a browser renames it
  ASSERT_TRUE(CopyFileA(OneFileSetup().c_str(), oneFile.c_str(), FALSE)) << OneFileSetup();
  WriteTextFile(downloads + "\\Tax-Return-2025.pdf", "the user's");
  WriteTextFile(downloads + "\\CV.ini", "not a database");
  SetupWizard setup(Process::Start(oneFile, "", downloads));
  setup.FillStart(dest);
  setup.FillAddress(kAddress, kHost);
  setup.Install();
  EXPECT_EQ(Listing(dest), ExpectedFiles());  // the file list too
  // The uninstaller is the plain program, without the payload.
  EXPECT_EQ(FileContent(dest + "\\UninstCV.exe"), FileContent(DistFolder() + "\\setup.exe"));
  EXPECT_EQ(Record("message"), DefaultMessage(kAddress, kHost));
  setup.DontRunClient();
  setup.CloseExplorer();
  Exit(setup);
  EXPECT_EQ(Listing(downloads), (Lines{"CV.ini", "Corvaline-setup (1).exe", "Tax-Return-2025.pdf"}));
}

TEST_F(InstallTest, SetupAgainOpensOnReviewAndInstallsOverIt) {
  InstallAsUser(DistFolder(), dest, kAddress, kHost);
  // What the client and the user changed since.
  WriteDword(kClientKey, "WindowState", 2);
  WriteString(kClientKey, "WindowPos", "10,20,600,400");
  const std::string readMe = dest + "\\ReadMe.txt";
  WriteTextFile(readMe, "changed by the user");

  // The client runs, holding its database: setup asks to close it; Cancel ends setup.
  Process client = Process::Start(dest + "\\CV.exe", "", dest);
  Window clientWindow = client.WaitForWindow("Corvaline");
  {
    Process held = Process::Start(DistFolder() + "\\setup.exe", "", DistFolder());
    MsgBox running = held.WaitForMsgBox(kRunning);
    EXPECT_EQ(running.Caption(), kProduct);
    running.Answer(IDCANCEL);
    EXPECT_EQ(held.WaitExit(), 11u);  // cancelled
  }
  automation::Click(clientWindow.Get(automation::ButtonControl("Close")));
  client.WaitExit();

  SetupWizard again(DistFolder());
  again.WaitPage(kReviewHeading);
  EXPECT_EQ(again.Summary(), (Lines{"Folder = " + dest, std::string("Address = ") + kAddress,
                                    std::string("MailHost = ") + kHost, "ProgramGroup = yes"}));
  EXPECT_EQ(again.Button("Install").ShownText(), "Install");
  EXPECT_TRUE(again.Button("Back").Enabled());

  // Back shows what was read from CV.dbc; a new host goes into the templates.
  again.Press("Back");
  again.WaitPage(kAddressHeading);
  EXPECT_EQ(again.Edit("Your Address:").Text(), kAddress);
  EXPECT_EQ(again.Edit("SMTP Host:").Text(), kHost);
  EXPECT_TRUE(again.Button("Next").Enabled());
  again.Press("Back");
  again.WaitPage(kStartHeading);
  EXPECT_EQ(again.Edit("Destination Folder").Text(), dest);
  again.Press("Next");
  again.FillAddress(kAddress, "relay.example.net");
  // Started again meanwhile, the client is to be closed before anything changes.
  client = Process::Start(dest + "\\CV.exe", "", dest);
  clientWindow = client.WaitForWindow("Corvaline");
  again.Press("Install");
  again.Box("Install now?").Answer(IDOK);
  MsgBox running = again.Program().WaitForMsgBox(kRunning, 20s);
  EXPECT_EQ(FileContent(readMe), "changed by the user");
  automation::Click(clientWindow.Get(automation::ButtonControl("Close")));
  client.WaitExit();
  running.Answer(IDRETRY);
  again.WaitPage(kDoneHeading);

  // No second Explorer window; the client's window settings stay as they were.
  EXPECT_TRUE(ChildProcessIds(again.Program().Id(), "explorer.exe").empty());
  EXPECT_EQ(ReadValue(kClientKey, "WindowState").text, "2");
  EXPECT_EQ(ReadValue(kClientKey, "WindowPos").text, "10,20,600,400");
  EXPECT_EQ(ReadValue(kClientKey, "AppDir").text, dest);
  EXPECT_EQ(FileContent(readMe), FileContent(DistFolder() + "\\ReadMe.txt"));
  EXPECT_EQ(Listing(dest), ExpectedFiles());
  EXPECT_EQ(Record("message"), DefaultMessage(kAddress, "relay.example.net"));
  Lines article = Record("article");
  ASSERT_EQ(article.size(), 10u);
  EXPECT_EQ(article[1], "Host: relay.example.net");
  EXPECT_EQ(Listing(GroupFolder()).size(), 5u);

  // Left with "Run Corvaline" unchecked: no client.
  again.DontRunClient();
  Exit(again);
  EXPECT_TRUE(ChildProcessIds(again.Program().Id(), "CV.exe").empty());
}

// A client that keeps its database encrypted: setup cannot read it and
// leaves it alone.
TEST_F(InstallTest, EncryptedDatabaseIsLeftAlone) {
  ASSERT_TRUE(CreateDirectoryA((scratch / "Apps").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA(dest.c_str(), nullptr));
  const std::string encrypted = dest + "\\CV.pgp";
  WriteTextFile(encrypted, "-----BEGIN PGP MESSAGE-----\r\nnot for setup\r\n");
  WriteString(kClientKey, "AppDir", dest);
  WriteString(kClientKey, "Program Group", "Corvaline");

  SetupWizard setup(DistFolder());
  setup.WaitPage(kReviewHeading);
  EXPECT_EQ(setup.Summary(),
            (Lines{"I have found that your CV database is encrypted. Because of this I am unable to "
                   "retrieve current configuration values. This is not a problem though. Click "
                   "'Install' to complete program setup."}));
  EXPECT_FALSE(setup.Button("Back").Enabled());
  setup.Install();

  EXPECT_FALSE(FileExists(Database()));
  EXPECT_EQ(FileContent(encrypted), "-----BEGIN PGP MESSAGE-----\r\nnot for setup\r\n");
  Lines expected = ExpectedFiles();
  std::replace(expected.begin(), expected.end(), std::string("CV.dbc"), std::string("CV.pgp"));
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(Listing(dest), expected);
  // An installation known before: its window settings are not written.
  EXPECT_EQ(ValueNames(kClientKey), (Lines{"AppDir", "Program Group", "Update", "Version"}));
  EXPECT_TRUE(ChildProcessIds(setup.Program().Id(), "explorer.exe").empty());

  setup.DontRunClient();
  Exit(setup);
}

// Destinations that cannot work: a message naming the folder and why, then
// the Start page for another choice, nothing made or recorded. A folder of
// the user's own files is installed into only when the user says so.
// A distribution with two files for one name in the destination (setup.exe
// and UninstCV.exe both the uninstaller): refused before anything changes.
TEST_F(InstallTest, TwoFilesForOneNameAreRefusedBeforeAnythingChanges) {
  const std::string twice = scratch / "Twice";
  CopyDistributionWithTwoUninstallers(twice);
  SetupWizard setup(twice);
  setup.FillStart(dest);
  setup.FillAddress(kAddress, kHost);
  setup.Press("Install");
  setup.Box("Install now?").Answer(IDOK);
  setup
      .Box(
          "The distribution cannot be installed: two of its files would both be installed as "
          "UninstCV.exe.",
          "Setup Error")
      .Answer(IDOK);
  setup.WaitPage(kStartHeading);
  EXPECT_FALSE(FolderExists(scratch / "Apps"));
  EXPECT_FALSE(KeyExists(kClientKey));
  EXPECT_FALSE(FileExists(JournalPath()));
}

// The journal of a finished roll-back that stayed (a scanner held it): the
// wizard opens as always, and the old files it finds put back stay.
TEST_F(InstallTest, AJournalThatOutlivedItsRollBackTakesNothingBackTwice) {
  const std::string licence = dest + "\\License.txt";
  StoppedReplacing(dest, licence, "the old licence", "the old licence");
  SetupWizard setup(DistFolder());
  setup.WaitPage(kStartHeading);
  EXPECT_EQ(Listing(dest), Lines{"License.txt"});
  EXPECT_EQ(FileContent(licence), "the old licence");
  EXPECT_FALSE(FileExists(JournalPath()));
  automation::PressEscape(setup.Form());
  EXPECT_EQ(setup.Program().WaitExit(), 11u);
}

// A roll-back that cannot finish (the copy of the old licence is held): the
// wizard says so and ends, with nothing changed and the journal kept.
TEST_F(InstallTest, AnUnfinishedRollBackStopsTheWizard) {
  const std::string licence = dest + "\\License.txt", copy = licence + ".~cv1";
  StoppedReplacing(dest, licence, "the old licence", "the new licence");
  HeldFile held(copy);
  ASSERT_TRUE(held.Held());
  Process setup = SetupWizard::Start(DistFolder());
  const MsgBox box = setup.WaitForMsgBox(20s);
  const std::string text = box.Text();
  EXPECT_EQ(box.Caption(), kProduct);
  EXPECT_EQ(
      text.rfind(
          "An earlier installation could not be rolled back: these changes it made are left:", 0),
      0u)
      << text;
  EXPECT_NE(text.find("      " + licence + "\r\n      " + copy), std::string::npos) << text;
  box.Answer(IDOK);
  EXPECT_EQ(setup.WaitExit(), 3u);
  EXPECT_EQ(FileContent(licence), "the new licence");
  EXPECT_TRUE(FileExists(JournalPath()));
  EXPECT_FALSE(KeyExists(kClientKey));
}

TEST_F(InstallTest, BadDestinationsAreRefused) {
  const std::string file = scratch / "a file";
  WriteTextFile(file, "not a folder");
  std::string tooLong = scratch.Path();
  while (tooLong.size() < 250) tooLong += "x";
  SetupWizard setup(DistFolder());
  setup.FillStart(scratch / "Mail|Box<1>");
  setup.FillAddress(kAddress, kHost);
  const std::string scratchFolder = scratch.Path().substr(0, scratch.Path().size() - 1);
  const struct {
    std::string folder;
    const char* caption;
    const char* said;
    std::string named;
  } refusals[] = {{scratch / "Mail|Box<1>", "Setup Error", "cannot be made", scratch / "Mail|Box<1>"},
                  {file + "\\Mail", "Setup Error", "cannot be made", file + "\\Mail"},
                  {tooLong, "Setup Error", "is too long", tooLong},
                  {"C:\\", "Setup Error", "holds far more than one program", "\nC:\\\n"},
                  {scratch.Path(), "Corvaline", "already holds other files", scratchFolder + " "}};
  for (const auto& r : refusals) {
    if (r.folder != refusals[0].folder) {
      setup.FillStart(r.folder);
      setup.FillAddress(kAddress, kHost);
    }
    setup.Press("Install");
    setup.Box("Install now?").Answer(IDOK);
    MsgBox refusal = setup.Program().WaitForMsgBox(20s);
    EXPECT_EQ(refusal.Caption(), r.caption) << r.folder;
    EXPECT_NE(refusal.Text().find(r.said), std::string::npos) << refusal.Text();
    EXPECT_NE(refusal.Text().find(r.named), std::string::npos) << refusal.Text();
    refusal.Answer(r.caption == std::string("Corvaline") ? IDNO : IDOK);
    setup.WaitPage(kStartHeading);
  }
  EXPECT_EQ(Listing(scratch.Path()), (Lines{"a file"}));
  EXPECT_EQ(FileContent(file), "not a folder");
  EXPECT_FALSE(KeyExists(kClientKey));
  EXPECT_FALSE(FolderExists(GroupFolder()));
}

}  // namespace
}  // namespace e2e
