// Installing and removing without a window, as package managers do: the /S
// switch, the exit code, the log, and the entry in Settings > Apps that Wine's
// own uninstaller program lists and starts.
#include <gtest/gtest.h>

#include "sys/console_runner.h"
#include "sys/text.h"
#include "tests/e2e/e2e_support.h"
#include "tests/sys_win/held_file.h"

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
                          "Installation complete!", "Exit code: 0"}));
  EXPECT_TRUE(FileExists(dest + "\\CV.exe"));
  EXPECT_EQ(ReadValue(kClientKey, "AppDir").text, dest);
  EXPECT_EQ(Listing(GroupFolder()).size(), 5u);
  EXPECT_EQ(Cvdb({"get", dest + "\\CV.dbc", "default", "message"})[2], std::string("From: ") + kAddress);

  // The entry in Settings > Apps.
  uint64_t bytes = 0;
  for (const std::string& name : Listing(dest)) bytes += FileContent(dest + "\\" + name).size();
  const std::string uninstaller = "\"" + dest + "\\UninstCV.exe\"";
  const struct {
    const char* name;
    DWORD type;
    std::string text;
  } values[] = {{"DisplayName", REG_SZ, "Corvaline"},
                {"DisplayVersion", REG_SZ, ReadValue(kClientKey, "Version").text},
                {"Publisher", REG_SZ, "the Corvaline authors"},
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
  Lines left = Listing(dest);
  left.erase(std::remove(left.begin(), left.end(), "UninstCV.exe"), left.end());
  EXPECT_EQ(left, Lines{"CV.dbc"});
  const Lines all = Log();
  ASSERT_GT(all.size(), 10u);
  EXPECT_EQ(Lines(all.begin() + 10, all.end()),
            (Lines{"Corvaline = YES", "Mixmaster = NO", "Removing Corvaline...",
                   "   program group...done", "   program files...done", "   registry key...done",
                   "Done!", "Un-Installation complete!", "Exit code: 0"}));
}

// Refused runs change nothing and say why; a run that fails part-way says
// what it left.
TEST_F(UnattendedTest, RefusedAndFailedRunsSayWhy) {
  const std::string lonely = scratch / "Downloads";
  ASSERT_TRUE(CreateDirectoryA(lonely.c_str(), nullptr));
  ASSERT_TRUE(CopyFileA((DistFolder() + "\\setup.exe").c_str(), (lonely + "\\setup.exe").c_str(), FALSE));
  const std::string both = " /ADDRESS=jane@example.org /HOST=smtp.example.org /LOG=" + log;
  const std::string to = " /D=" + dest;
  const struct {
    std::string exe, args, said;
  } refused[] = {
      {DistFolder() + "\\setup.exe", "/S /HOST=smtp.example.org /LOG=" + log + to,
       "No e-mail address: give one with /ADDRESS=."},
      {DistFolder() + "\\setup.exe", "/S /BOGUS" + both + to, "Unknown switch: /BOGUS"},
      {lonely + "\\setup.exe", "/S" + both + to,
       "Setup Error: The folder " + lonely + " does not hold a complete Corvaline distribution: "
       "CV.exe and CV.ini cannot be read there. Nothing was installed."},
      {DistFolder() + "\\setup.exe", "-U /S /LOG=" + log, "Nothing to un-install!"},
  };
  for (const auto& r : refused) {
    DeleteFileA(log.c_str());
    EXPECT_EQ(Run(r.exe, r.args), 1u) << r.args;
    const Lines said = Log();
    EXPECT_NE(std::find(said.begin(), said.end(), r.said), said.end())
        << r.args << "\n" << LinesToText(said);
    EXPECT_EQ(said.back(), "Exit code: 1");
    EXPECT_FALSE(FolderExists(scratch / "Apps"));
    EXPECT_FALSE(KeyExists(kClientKey));
  }

  // A file of the destination held open: copying stops there, after the folder was made.
  ASSERT_TRUE(CreateDirectoryA((scratch / "Apps").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA(dest.c_str(), nullptr));
  WriteTextFile(dest + "\\ReadMe.txt", "in use");
  HeldFile held(dest + "\\ReadMe.txt");
  DeleteFileA(log.c_str());
  EXPECT_EQ(Setup("/S" + both + to), 2u);
  const Lines said = Log();
  ASSERT_GE(said.size(), 3u);
  EXPECT_EQ(said[said.size() - 3].substr(0, 27), "Copy Failed: System Error: ");
  EXPECT_NE(said[said.size() - 3].find("File: " + dest + "\\ReadMe.txt"), std::string::npos);
  EXPECT_EQ(said[said.size() - 2], "   program files...failed");
  EXPECT_EQ(said.back(), "Exit code: 2");
}

}  // namespace
}  // namespace e2e
