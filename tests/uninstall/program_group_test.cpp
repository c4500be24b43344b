// The program group step: the shell's Program Manager removes the group on
// the macro it is sent; without one, the user is told once and the removal
// goes on.
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ddeml.h>

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
  InstallClient(app.Path(), name);

  TUninstWiz wizard;
  wizard.RichEdit2.Clear();  // the steps alone, without RunRemoval
  EXPECT_TRUE(wizard.RemoveProgramGroup());
  // The shell acts in its own time.
  EXPECT_TRUE(formtest::PumpUntil([&] { return !Exists(group); }));
  EXPECT_TRUE(boxes.Count() == 0u);
  EXPECT_EQ(wizard.RichEdit2.GetLines(), Lines({"   program group...done"}));
  EXPECT_FALSE(wizard.DDEClient.Connected());
}

// A group name made to close the command and add one of its own: nothing is
// sent, and another program's group stays.
TEST_F(UninstProgramGroup, AnInjectedCommandLeavesOtherGroupsAlone) {
  if (NoDesktopSession()) GTEST_SKIP() << "needs the desktop's Program Manager";
  ASSERT_TRUE(WaitForProgramManager());
  const std::string other = "Other App " + std::to_string(GetCurrentProcessId());
  MakeDirs(ProgramsFolder() + "\\" + other);
  WriteTextFile(ProgramsFolder() + "\\" + other + "\\Other.lnk", "link");
  ScratchDir app("injected");
  InstallClient(app.Path(), "Corvaline)][DeleteGroup(" + other);

  TUninstWiz wizard;
  wizard.RichEdit2.Clear();  // the steps alone, without RunRemoval
  wizard.RemoveProgramGroup();
  formtest::Pump(1000);  // time enough for the shell to act
  EXPECT_TRUE(Exists(ProgramsFolder() + "\\" + other + "\\Other.lnk"));
  EXPECT_EQ(wizard.RichEdit2.GetLines(), Lines({"   program group...skipped"}));
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
// still makes windows): one "Error" box, no group line, and the removal goes
// on; the group it left makes the run incomplete.
TEST_F(UninstProgramGroup, NoDesktopReportsOnceAndRemovalGoesOn) {
  if (!NoDesktopSession()) GTEST_SKIP() << "runs in the no-desktop session only";
  ScratchDir app("nodesktop");
  WriteTextFile(app / "cv.exe", "x");
  WriteTextFile(app / "cv.dbc", "db");
  const std::string group = "Corvaline Left " + std::to_string(GetCurrentProcessId());
  MakeDirs(ProgramsFolder() + "\\" + group);
  InstallClient(app.Path(), group);

  TUninstWiz wizard;
  wizard.RunRemoval();
  RemoveDirectoryA((ProgramsFolder() + "\\" + group).c_str());
  EXPECT_EQ(wizard.Label4.Text(), "Un-Installation incomplete!");
  ASSERT_EQ(boxes.Count(), 1u);
  EXPECT_EQ(boxes[0].caption, "Error");
  EXPECT_EQ(boxes[0].text, "Unable to remove Corvaline program group!");
  EXPECT_EQ(boxes[0].type & 0xF, static_cast<UINT>(MB_OK));
  EXPECT_EQ(wizard.RichEdit2.GetLines(), Lines({"Removing Corvaline...", "   program files...done",
                                                 "   registry key...done", "Done!"}));
  EXPECT_EQ(FolderNames(app.Path()), Lines({"cv.dbc"}));
  EXPECT_FALSE(KeyExists(kClientKey));

  EXPECT_FALSE(wizard.RemoveProgramGroup());
  EXPECT_EQ(boxes.Count(), 2u);
  EXPECT_EQ(wizard.RichEdit2.GetLines().size(), 4u);
}

// The macro names the group in quotes; a name that cannot be quoted safely,
// or none, sends nothing.
TEST_F(UninstProgramGroup, NoDesktopMacroQuotesTheGroupOrSendsNothing) {
  if (!NoDesktopSession()) GTEST_SKIP() << "runs in the no-desktop session only";
  RecordingProgramManager server;
  ScratchDir app("macro");
  const struct {
    std::string name;
    const char* line;
  } rows[] = {{"Corvaline (Mail)", "   program group...done"},
              {"", "   program group...skipped"},
              {"Corvaline)][DeleteGroup(Other", "   program group...skipped"},
              {"Corvaline \"Mail\"", "   program group...skipped"},
              {"Corvaline\tMail", "   program group...skipped"},
              {"..", "   program group...skipped"}};
  for (const auto& row : rows) {
    InstallClient(app.Path(), row.name);
    TUninstWiz wizard;
    wizard.RichEdit2.Clear();  // the steps alone, without RunRemoval
    EXPECT_TRUE(wizard.RemoveProgramGroup());
    ui::Application::ProcessMessages();
    EXPECT_EQ(wizard.RichEdit2.GetLines(), Lines({row.line})) << row.name;
  }
  EXPECT_TRUE(boxes.Count() == 0u);
  EXPECT_EQ(server.macros, Lines({"[DeleteGroup(\"Corvaline (Mail)\")]"}));
}

}  // namespace
