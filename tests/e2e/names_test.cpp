// A user and folders whose names lie outside the code page, in a Wine session
// of their own (names_session.sh): the user Дмитрий, whose Desktop is
// "Рабочий стол". Setup and the uninstaller keep every name whole, give the
// client (an ANSI program) a form of it that it can read, and protect such a
// Desktop as any other.
#include <shlobj.h>

#include <gtest/gtest.h>

#include "sys/path.h"
#include "sys/text.h"
#include "sys/wide.h"
#include "tests/e2e/e2e_support.h"
#include "tests/sys_win/link_reader.h"

namespace e2e {
namespace {

using namespace std::chrono_literals;

const char kAddress[] = "Dmitry <dmitry@example.org>";
const char kHost[] = "smtp.example.org";
const char kStandInText[] = "This program stands in for the Corvaline client";

std::string ShellFolder(int csidl) {
  wchar_t path[MAX_PATH] = L"";
  SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
  return Narrow(path);
}

std::string ShortForm(const std::string& path) {
  wchar_t shortPath[MAX_PATH] = L"";
  GetShortPathNameW(Widen(path).c_str(), shortPath, MAX_PATH);
  return Narrow(shortPath);
}

// The text in the code page, or "" when a letter has no exact place there.
std::string Ansi(const std::string& text) {
  const std::wstring wide = Widen(text);
  char ansi[MAX_PATH * 2] = "";
  BOOL defaulted = FALSE;
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.c_str(), -1, ansi, sizeof ansi, nullptr, &defaulted);
  return defaulted ? std::string() : ansi;
}

// The client, as it runs, holds its database: nobody else may open it.
bool HeldOpen(const std::string& file) {
  UniqueHandle h(CreateFileW(Widen(file).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  return !h && GetLastError() == ERROR_SHARING_VIOLATION;
}

class NamesTest : public E2ETest {
 protected:
  std::string log = scratch / "run.log";

  // args before "/LOG=": a last "/D=" would take it for the folder.
  DWORD Run(const std::string& exe, const std::string& args, const std::string& last = "") {
    DeleteFileW(Widen(log).c_str());
    return Process::Start(exe, args + " /LOG=" + log + last, scratch.Path()).WaitExit(60s);
  }
  std::string Log() const { return FileContent(log); }
};

// Each folder whole on the disk and in Settings > Apps; under the client's key
// and in its shortcuts the name itself where it fits the code page (no
// look-alike: Łódź is not Lodz), else its short form. The client starts from
// its shortcut and finds its database; the removal leaves only that.
TEST_F(NamesTest, UnattendedInstallRunAndRemoval) {
  const std::string own = ShellFolder(CSIDL_LOCAL_APPDATA) + "\\Programs\\Corvaline";
  for (const std::string dest : {"C:\\Apps\\Почта", "C:\\Apps\\邮件", "C:\\Apps\\Łódź", "C:\\Apps\\Café Über",
                                 own.c_str()}) {
    SCOPED_TRACE(dest);
    ASSERT_EQ(Run(DistFolder() + "\\setup.exe",
                  "/S \"/ADDRESS=" + std::string(kAddress) + "\" /HOST=" + kHost, " /D=" + dest),
              0u)
        << Log();
    EXPECT_NE(Log().find("Folder = " + dest + "\r\n"), std::string::npos) << Log();
    EXPECT_TRUE(FileExists(dest + "\\CV.exe"));
    if (dest.rfind("C:\\Apps\\", 0) == 0) {
      EXPECT_EQ(Listing("C:\\Apps"), Lines{ExtractFileName(dest) + "\\"});
    }
    const bool fits = !Ansi(dest).empty();
    const std::string client = fits ? dest : ShortForm(dest);
    EXPECT_EQ(fits, dest.find("Café") != std::string::npos);
    EXPECT_EQ(ReadValue(kClientKey, "AppDir").text, Ansi(client));
    EXPECT_EQ(ReadValue(kAppsEntryKey, "InstallLocation", true).text, dest);
    EXPECT_EQ(ReadValue(kAppsEntryKey, "UninstallString", true).text, "\"" + dest + "\\UninstCV.exe\"");
    EXPECT_EQ(Cvdb({"get", ShortForm(dest) + "\\CV.dbc", "default", "message"})[2], std::string("From: ") + kAddress);

    ShellLinkFields link;
    ASSERT_TRUE(ReadShellLink(GroupFolder() + "\\Corvaline.LNK", &link));
    EXPECT_EQ(link.path, Lower(client + "\\CV.exe"));
    {
      Process started = Process::Start(link.path, link.arguments, link.workingDir);
      const Window standIn = automation::WaitForWindowShowing(
          started.Id(), "Corvaline", automation::StaticControl(kStandInText, Control::Match::Prefix));
      automation::WaitUntil([&] { return HeldOpen(dest + "\\CV.dbc"); }, 10s, "the client's database held");
      EXPECT_EQ(standIn.Get(automation::StaticControl("Current folder:", Control::Match::Prefix)).Text(),
                "Current folder: " + Lower(client));
    }

    ASSERT_EQ(Run(dest + "\\UninstCV.exe", "/S"), 0u) << Log();
    EXPECT_FALSE(KeyExists(kClientKey));
    EXPECT_FALSE(KeyExists(kAppsEntryKey));
    EXPECT_FALSE(FolderExists(GroupFolder()));
    WaitForSelfRemoval();
    EXPECT_EQ(Listing(dest), Lines{"CV.dbc"});  // the uninstaller gone too
    RemoveTree(dest);
  }
  RemoveTree("C:\\Apps");
}

// The destination field, the review, a second setup's Review page and the
// uninstaller's check box all show the real name.
TEST_F(NamesTest, TheWizardsShowTheRealName) {
  const std::string dest = "C:\\Apps\\Почта";
  {
    SetupWizard setup(DistFolder());
    setup.FillStart(dest);
    setup.FillAddress(kAddress, kHost);
    EXPECT_EQ(setup.Summary().front(), "Folder = " + dest);
    setup.Install();
    setup.Leave("Exit");
  }
  EXPECT_EQ(ReadValue(kClientKey, "AppDir").text, ShortForm(dest));
  {
    SetupWizard again(DistFolder());
    again.WaitPage(kReviewHeading);
    EXPECT_EQ(again.Summary().front(), "Folder = " + dest);
    again.Press("Cancel");
    again.Box("Quit without installing Corvaline?").Answer(IDYES);
    EXPECT_EQ(again.Program().WaitExit(), 11u);  // cancelled
  }
  Wizard wizard(dest + "\\UninstCV.exe", "", dest, "Un-Install Wizard");
  wizard.Press("Next");
  wizard.WaitPage("Select Items For Removal");
  EXPECT_TRUE(wizard.Button("Corvaline  { c:\\apps\\почта }").Checked());
  wizard.Press("Next");
  wizard.WaitPage("Review Un-installation");
  wizard.ConfirmAndWait("Finish", "Uninstall now?", "Un-Installation complete!");
  wizard.Press("Exit");
  EXPECT_EQ(wizard.Program().WaitExit(), 0u);
  EXPECT_FALSE(KeyExists(kClientKey));
  RemoveTree("C:\\Apps");
}

// The Desktop and the profile by their short names are still what they are: a
// removal whose AppDir names one of them deletes nothing there.
TEST_F(NamesTest, FoldersOfAnyNameAreProtected) {
  const std::string desktop = ShellFolder(CSIDL_DESKTOPDIRECTORY);
  ASSERT_EQ(desktop, "C:\\users\\Дмитрий\\Рабочий стол");
  WriteTextFile(desktop + "\\notes.txt", "mine");
  for (const std::string& folder : {desktop, ShellFolder(CSIDL_PROFILE)}) {
    SCOPED_TRACE(folder);
    WriteString(kClientKey, "AppDir", ShortForm(folder));
    EXPECT_EQ(Run(DistFolder() + "\\setup.exe", "-u /S"), 3u) << Log();
    EXPECT_NE(Log().find("   program files...skipped (protected folder)"), std::string::npos) << Log();
    EXPECT_EQ(FileContent(desktop + "\\notes.txt"), "mine");
    EXPECT_TRUE(KeyExists(kClientKey));
  }
  DeleteFileW(Widen(desktop + "\\notes.txt").c_str());
}

}  // namespace
}  // namespace e2e
