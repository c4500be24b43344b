// Test support for the setup wizard and its steps: a clean slate per test (no
// Corvaline or Mixmaster registry key before or after it), a distribution
// folder that is the current directory while the test runs (as when setup
// starts from it), a destination root, both real folders under the prefix's
// C: drive, and every message box scripted.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "install/install.h"
#include "sys/lines.h"
#include "tests/sys_win/held_file.h"
#include "tests/sys_win/scratch.h"
#include "tests/ui/form_test_support.h"

// The keys and texts as a user or the client sees them, spelt out here rather
// than taken from the code under test.
extern const char kClientKey[];  // Software\Corvaline
extern const char kMixKey[];     // Software\Mixmaster
extern const char kAppsEntryKey[];  // the installation's entry in Settings > Apps
extern const char kVersion[];    // the version the sample CV.ini carries

class SetupTest : public ::testing::Test {
 protected:
  SetupTest();
  ~SetupTest() override;

  // The sample distribution: setup.exe, CV.ini (a template database holding
  // kVersion), CV.exe, License.txt, ReadMe.txt, QuickStart.rtf and a
  // subfolder "docs" with a file.
  void MakeDistribution();
  // The client's key as an earlier setup left it.
  void WriteClientKey(const std::string& appDir, const std::string& group = "Corvaline",
                      const std::string& version = "");

  // The engine's choices for an install of the sample distribution into folder.
  InstallChoices Choices(const std::string& folder) const;
  // The engine at work: a plan, and when it has no problem, the install.
  struct Installed {
    InstallPlan plan;
    InstallOutcome outcome;
    Lines log;
    bool Done() const { return plan.problem == PlanProblem::None && outcome.result == InstallResult::Done; }
  };
  Installed Install(const InstallChoices& choices);

  ScratchDir dist{"dist"};
  ScratchDir dest{"dest"};

 private:
  formtest::CurrentDirGuard cwd_;

 protected:
  formtest::MsgBoxScript boxes;
};

void DeleteKey(const char* key);
bool KeyExists(const char* key);
// A value of the client's key: its type and its text (a DWORD as decimal);
// type 0 when it is missing.
struct RegValue {
  DWORD type = 0;
  std::string text;
};
RegValue ReadClientValue(const std::string& name);
DWORD ClientValueCount();

// The lines of a rich-text control as the user sees them, one per row.
Lines ShownLines(HWND richText);
std::string Lower(std::string text);

// The Start-menu group an install makes, in the shell's Programs folder of
// this test prefix, ending in "\". Each test starts and ends without it.
std::string GroupFolder();

// Makes the file at path size bytes long (sparse where the volume can).
void SetFileSize(const std::string& path, uint64_t size);

// The install journal, "%LOCALAPPDATA%\Corvaline Setup\install.journal". Each
// test starts and ends without it and without anything in its folder.
std::string JournalPath();

// Closes the Explorer windows that other processes show (a first install
// opens one on the program group, and it never closes by itself); returns how
// many there were.
int CloseExplorerWindows();
// Waits (handling messages) for such a window; its caption, or "" after the timeout.
std::string WaitForExplorerWindow(DWORD timeoutMs);
