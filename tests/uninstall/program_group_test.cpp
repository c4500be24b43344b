// The program group step: the shell's Program Manager removes the group on
// the macro it is sent; without one the group goes by hand. Only setup's own
// group goes: a name that leads to a folder of the shell's is not ours, and
// a group with the user's items in it keeps them.
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ddeml.h>

#include "removal/group_removal.h"
#include "sys/shortcut.h"
#include "tests/sys_win/scratch.h"
#include "tests/uninstall/uninstall_fixture.h"
#include "uninstall/UninstDlg.h"

namespace {

std::string ProgramsFolder() {
  char path[MAX_PATH] = "";
  EXPECT_EQ(SHGetFolderPathA(nullptr, CSIDL_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, path), S_OK);
  return path;
}

std::string ExtractName(const std::string& path) { return path.substr(path.rfind('\\') + 1); }

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The no-desktop tests run only in the session that no_desktop.sh makes.
bool NoDesktopSession() {
  const char* v = std::getenv("CV_TEST_NO_DESKTOP");
  return v && std::string(v) == "1";
}

using UninstProgramGroup = UninstallTest;

TEST_F(UninstProgramGroup, ProgramManagerRemovesTheGroup) {
  if (NoDesktopSession()) GTEST_SKIP() << "needs the desktop's Program Manager";
  ASSERT_TRUE(WaitForProgramManager());
  const std::string name = "Corvaline (Group) " + std::to_string(GetCurrentProcessId());
  const std::string group = ProgramsFolder() + "\\" + name;
  MakeDirs(group);
  ScratchDir app("group");
  WriteTextFile(app / "CV.exe", "x");
  ASSERT_EQ(CreateShortcut(app / "CV.exe", group + "\\Corvaline.lnk", app / "CV.exe",
                           "Corvaline", ""),
            0);
  ASSERT_TRUE(Exists(group + "\\Corvaline.lnk"));
  EXPECT_EQ(RemoveProgramGroup(name, nullptr, app.Path()).verdict, GroupVerdict::Done);
  EXPECT_FALSE(Exists(group));
}

// Names that lead to the shell's own folders are not setup's group, however
// they are spelt. A group holding the user's items keeps them and the folder:
// a shortcut goes only when the record names it and it still starts the
// recorded target (without a record: one of the five names, starting a file
// of the client's folder). A shortcut of ours in name only, and a link to one
// elsewhere, stay; what the link leads to is untouched.
TEST_F(UninstProgramGroup, OnlySetupsOwnGroupAndShortcutsGo) {
  const std::string programs = ProgramsFolder();
  const std::string startup = programs + "\\StartUp";
  MakeDirs(startup);
  WriteTextFile(startup + "\\Backup.lnk", "the user's");
  WriteTextFile(startup + "\\Corvaline.LNK", "looks like ours");
  for (const char* name : {"StartUp", "startup.", "STARTUP ", "..", "Corvaline\\..\\StartUp"}) {
    EXPECT_EQ(RemoveProgramGroup(name, nullptr, "").verdict, GroupVerdict::Skipped) << name;
    EXPECT_EQ(FolderNames(startup + "\\"), Lines({"Backup.lnk", "Corvaline.LNK"})) << name;
  }
  ScratchDir app("groupapp"), elsewhere("groupelse");
  for (const char* file : {"CV.exe", "License.txt", "ReadMe.txt"}) {
    WriteTextFile(app / file, file);
    WriteTextFile(elsewhere / file, file);
  }
  ASSERT_EQ(CreateShortcut(app / "ReadMe.txt", elsewhere / "Mine.lnk", "", "", ""), 0);
  const std::string name = "Corvaline Shared " + std::to_string(GetCurrentProcessId());
  const std::string group = programs + "\\" + name;
  const InstallRecord record = [&] {
    InstallRecord r;
    r.group = group;
    r.links = {{"Corvaline.LNK", Lower(app / "CV.exe")},
               {"License.LNK", Lower(app / "License.txt")},
               {"ReadMe.LNK", Lower(app / "ReadMe.txt")}};
    return r;
  }();
  for (const InstallRecord* rule : {&record, static_cast<const InstallRecord*>(nullptr)}) {
    MakeDirs(group);
    ASSERT_EQ(CreateShortcut(Lower(app / "CV.exe"), group + "\\Corvaline.LNK", "", "", ""), 0);
    ASSERT_EQ(CreateShortcut(elsewhere / "License.txt", group + "\\License.LNK", "", "", ""), 0);
    ASSERT_EQ(CreateShortcut(app / "ReadMe.txt", group + "\\Notes.lnk", "", "", ""), 0);
    LinuxLink link(group + "\\ReadMe.LNK", elsewhere / "Mine.lnk");
    const GroupRemoval kept = RemoveProgramGroup(rule ? "" : name, rule, app.Path());
    EXPECT_EQ(kept.verdict, GroupVerdict::Kept) << (rule != nullptr);
    EXPECT_STREQ(GroupVerdictText(kept.verdict), "kept (it holds other items)");
    EXPECT_EQ(FolderNames(group + "\\"), Lines({"License.LNK", "Notes.lnk", "ReadMe.LNK"}))
        << (rule != nullptr);
    EXPECT_TRUE(Exists(elsewhere / "Mine.lnk"));
  }
  for (const char* link : {"License.LNK", "Notes.lnk"}) DeleteFileA((group + "\\" + link).c_str());
  RemoveDirectoryA(group.c_str());
}

// A group name made to close the command and add one of its own: nothing is
// sent, and another program's group stays.
TEST_F(UninstProgramGroup, AnInjectedCommandLeavesOtherGroupsAlone) {
  if (NoDesktopSession()) GTEST_SKIP() << "needs the desktop's Program Manager";
  ASSERT_TRUE(WaitForProgramManager());
  const std::string other = "Other App " + std::to_string(GetCurrentProcessId());
  MakeDirs(ProgramsFolder() + "\\" + other);
  WriteTextFile(ProgramsFolder() + "\\" + other + "\\Other.lnk", "link");
  EXPECT_EQ(RemoveProgramGroup("Corvaline)][DeleteGroup(" + other, nullptr, "").verdict,
            GroupVerdict::Skipped);
  formtest::Pump(1000);  // time enough for the shell to act
  EXPECT_TRUE(Exists(ProgramsFolder() + "\\" + other + "\\Other.lnk"));
  DeleteFileA((ProgramsFolder() + "\\" + other + "\\Other.lnk").c_str());
  RemoveDirectoryA((ProgramsFolder() + "\\" + other).c_str());
}

// A Program Manager of our own, in this process, that records the macros it
// is handed.
class RecordingProgramManager {
 public:
  RecordingProgramManager() {
    self_ = this;
    EXPECT_EQ(DdeInitializeA(&instance_, &Callback, APPCLASS_STANDARD | CBF_SKIP_ALLNOTIFICATIONS, 0),
              static_cast<UINT>(DMLERR_NO_ERROR));
    name_ = DdeCreateStringHandleA(instance_, "PROGMAN", CP_WINANSI);
    EXPECT_TRUE(DdeNameService(instance_, name_, nullptr, DNS_REGISTER));
  }
  ~RecordingProgramManager() {
    DdeNameService(instance_, name_, nullptr, DNS_UNREGISTER);
    DdeFreeStringHandle(instance_, name_);
    DdeUninitialize(instance_);
    self_ = nullptr;
  }
  Lines macros;

 private:
  static HDDEDATA CALLBACK Callback(UINT type, UINT, HCONV, HSZ topic, HSZ, HDDEDATA data,
                                    ULONG_PTR, ULONG_PTR) {
    switch (type) {
      case XTYP_CONNECT: return reinterpret_cast<HDDEDATA>(TRUE);
      case XTYP_EXECUTE: {
        DWORD size = 0;
        const char* text = reinterpret_cast<const char*>(DdeAccessData(data, &size));
        if (text && self_) self_->macros.push_back(std::string(text, strnlen(text, size)));
        DdeUnaccessData(data);
        return reinterpret_cast<HDDEDATA>(DDE_FACK);
      }
    }
    return nullptr;
  }
  static RecordingProgramManager* self_;
  DWORD instance_ = 0;
  HSZ name_ = nullptr;
};
RecordingProgramManager* RecordingProgramManager::self_ = nullptr;

// Without a desktop no Program Manager answers (Wine's null display driver
// still makes windows): the group goes by hand and the removal is complete.
TEST_F(UninstProgramGroup, NoDesktopRemovesTheGroupByHand) {
  if (!NoDesktopSession()) GTEST_SKIP() << "runs in the no-desktop session only";
  ScratchDir app("nodesktop");
  WriteTextFile(app / "cv.exe", "x");
  WriteTextFile(app / "ReadMe.txt", "r");
  WriteTextFile(app / "cv.dbc", "db");
  const std::string group = "Corvaline Left " + std::to_string(GetCurrentProcessId());
  MakeDirs(ProgramsFolder() + "\\" + group);
  ASSERT_EQ(CreateShortcut(app / "ReadMe.txt", ProgramsFolder() + "\\" + group + "\\ReadMe.LNK", "",
                           "", ""),
            0);
  InstallClient(app.Path(), group);

  TUninstWiz wizard;
  wizard.RunRemoval();
  EXPECT_EQ(wizard.Label4.Text(), "Un-Installation complete!");
  EXPECT_EQ(boxes.Count(), 0u);
  EXPECT_EQ(wizard.RichEdit2.GetLines(), Lines({"Removing Corvaline...", "   program group...done",
                                                 "   program files...done", "   registry key...done", "Done!"}));
  EXPECT_FALSE(Exists(ProgramsFolder() + "\\" + group));
  EXPECT_EQ(FolderNames(app.Path()), Lines({"cv.dbc"}));
  EXPECT_FALSE(KeyExists(kClientKey));
}

// The macro names the group in quotes; a name that cannot be quoted safely,
// or none, sends nothing.
TEST_F(UninstProgramGroup, NoDesktopMacroQuotesTheGroupOrSendsNothing) {
  if (!NoDesktopSession()) GTEST_SKIP() << "runs in the no-desktop session only";
  RecordingProgramManager server;
  ScratchDir app("macro");
  WriteTextFile(app / "ReadMe.txt", "r");
  const struct {
    std::string name;
    GroupVerdict verdict;
  } rows[] = {{"Corvaline (Mail)", GroupVerdict::Done},
              {"", GroupVerdict::Skipped},
              {"Corvaline)][DeleteGroup(Other", GroupVerdict::Skipped},
              {"Corvaline \"Mail\"", GroupVerdict::Skipped},
              {"Corvaline\tMail", GroupVerdict::Skipped},
              {"..", GroupVerdict::Skipped}};
  for (const auto& row : rows) {
    // Our server records but deletes nothing: the group then goes by hand.
    MakeDirs(ProgramsFolder() + "\\Corvaline (Mail)");
    CreateShortcut(app / "ReadMe.txt", ProgramsFolder() + "\\Corvaline (Mail)\\ReadMe.LNK", "", "",
                   "");
    EXPECT_EQ(RemoveProgramGroup(row.name, nullptr, app.Path()).verdict, row.verdict) << row.name;
    ui::Application::ProcessMessages();
  }
  DeleteFileA((ProgramsFolder() + "\\Corvaline (Mail)\\ReadMe.LNK").c_str());
  RemoveDirectoryA((ProgramsFolder() + "\\Corvaline (Mail)").c_str());
  EXPECT_EQ(server.macros, Lines({"[DeleteGroup(\"Corvaline (Mail)\")]"}));
}

}  // namespace
