// Support of the end-to-end tests: the real setup.exe of the sample
// distribution and the uninstaller it installs, started as processes of their
// own and driven through their windows. Each test starts from a clean slate
// (no Corvaline or Mixmaster key, no program group) and leaves one behind.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sys/lines.h"
#include "tests/automation/automation.h"
#include "tests/sys_win/scratch.h"

namespace e2e {

using automation::Control;
using automation::Duration;
using automation::MsgBox;
using automation::Process;
using automation::Window;

// The keys, captions and texts as the user and the client see them, spelt
// out here rather than taken from the code under test.
extern const char kClientKey[];     // Software\Corvaline
extern const char kMixKey[];        // Software\Mixmaster
extern const char kSetupCaption[];  // the setup wizard's window
extern const char kProduct[];       // message-box captions, the wait dialog's caption

// The sample distribution (no trailing backslash) and the Windows cvdb tool.
std::string DistFolder();
std::string CvdbPath();

// Registry under the current user's hive.
bool KeyExists(const std::string& key);
void DeleteKey(const std::string& key);
void WriteString(const std::string& key, const std::string& name, const std::string& value);
void WriteDword(const std::string& key, const std::string& name, DWORD value);
struct RegValue {
  DWORD type = REG_NONE;  // REG_NONE: missing
  std::string text;       // a REG_DWORD as decimal
};
RegValue ReadValue(const std::string& key, const std::string& name);
// The value names of the key, sorted.
Lines ValueNames(const std::string& key);

// The user's Start-menu Programs folder and the product's group in it.
std::string ProgramsFolder();
std::string GroupFolder();
// Removes a folder with everything in it; an independent plain removal.
void RemoveTree(const std::string& folder);
bool FolderExists(const std::string& folder);
bool FileExists(const std::string& file);
// Sorted names of a folder's entries, subfolders ending in "\" (no trailing
// backslash needed on folder).
Lines Listing(const std::string& folder);
std::string FileContent(const std::string& path);

// What cvdb.exe, run as its own process with these arguments, prints: the
// record store's view of a file, independent of the installer
// ("get FILE KEY..." gives a record's lines, the KEY parts joined by the tool).
Lines Cvdb(const std::vector<std::string>& args);

// The programs that process pid started and that still run: their
// executables' names (lower case), or the ids of those named name.
std::vector<std::string> ChildProgramNames(DWORD pid);
std::vector<DWORD> ChildProcessIds(DWORD pid, const std::string& name);
// Ends the processes (other than pid 0) whose executable is name and whose
// parent is parentPid.
void EndChildren(DWORD parentPid, const std::string& name);

// A fixture that keeps the session clean: the client's and Mixmaster's keys
// and the program group are removed before and after each test, and a
// scratch folder holds what the test makes.
class E2ETest : public ::testing::Test {
 protected:
  E2ETest();
  ~E2ETest() override;

  ScratchDir scratch{"e2e"};
};

// The text in lower case, as Windows converts it.
std::string Lower(std::string text);

// The rows of a rich-text control as the user sees them (CR LF split).
Lines RowsOf(const Window& richText);

// A wizard as a user sees it: a program started as its own process, and its
// window.
class Wizard {
 public:
  // Starts exe with args in folder and waits for its window captioned caption.
  Wizard(const std::string& exe, const std::string& args, const std::string& folder,
         const std::string& caption);

  Process& Program() { return process_; }
  const Window& Form() const { return form_; }

  Window Button(const std::string& text) const;
  Window Edit(const std::string& label) const;  // the edit that the label names
  // The visible label whose shown text starts with text, waiting for it.
  Window Label(const std::string& text) const;
  // Waits for the page whose heading is heading (a label on it).
  void WaitPage(const std::string& heading) const;
  void Press(const std::string& button) const;
  // Waits for a message box of the program saying text; fails when its caption
  // is not caption.
  MsgBox Box(const std::string& text, const std::string& caption = kProduct) const;
  // Presses button, confirms question with OK, and waits out the wait dialog
  // (captioned like the product) until heading shows.
  void ConfirmAndWait(const std::string& button, const std::string& question,
                      const std::string& heading) const;
  // The wait dialog after the question was confirmed.
  Window WaitDialog() const;

 private:
  Process process_;
  Window form_;
};

// The setup wizard: dist\setup.exe started with the distribution folder as
// current directory.
class SetupWizard : public Wizard {
 public:
  SetupWizard();

  // Start page: the destination typed; Address page: address and host typed;
  // each ends on the next page.
  void FillStart(const std::string& folder) const;
  void FillAddress(const std::string& address, const std::string& host) const;
  // Review page: "Install", "Install now?" OK, the wait dialog waited out,
  // until the Done page shows.
  void Install() const;
  Lines Summary() const;  // the review's rows
  // Done page: unchecks "Run Corvaline".
  void DontRunClient() const;
  // The Explorer window that setup opened on the program group, waiting for it
  // a while; none when setup started no Explorer.
  Window OpenedExplorer();
};

// A whole first installation into dest, as a user makes it; the Explorer
// window closed, setup ended without starting the client.
void InstallAsUser(const std::string& dest, const std::string& address, const std::string& host);

// The heading of each setup page.
extern const char kStartHeading[];
extern const char kAddressHeading[];
extern const char kReviewHeading[];
extern const char kDoneHeading[];

}  // namespace e2e
