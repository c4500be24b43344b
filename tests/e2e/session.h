// The installer as a user meets it in a Wine session: its wizards started as
// processes of their own and driven through their windows, and what it leaves
// in the session (the client's key, the program group). Free of GoogleTest,
// so that the install benchmark drives setup the same way the tests do.
// Failures throw automation::Failure.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "sys/lines.h"
#include "tests/automation/automation.h"

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
extern const char kAppsEntryKey[];  // the entry in Settings > Apps
extern const char kSetupCaption[];  // the setup wizard's window
extern const char kProduct[];       // message-box captions, the wait dialog's caption
// The heading of each setup page (a label only that page shows).
extern const char kStartHeading[];
extern const char kAddressHeading[];
extern const char kReviewHeading[];
extern const char kDoneHeading[];

// The text (UTF-8, as every path here) in lower case, as Windows converts it.
std::string Lower(std::string text);

// Registry under the current user's hive.
bool KeyExists(const std::string& key);
void DeleteKey(const std::string& key);

// The user's Start-menu Programs folder and the product's group in it.
std::string ProgramsFolder();
std::string GroupFolder();
// Removes a folder with everything in it; an independent plain removal.
void RemoveTree(const std::string& folder);
bool FolderExists(const std::string& folder);
bool FileExists(const std::string& file);

// No client or Mixmaster key, no program group.
void CleanSlate();

// The processes that process pid started, still running, whose executable is name.
std::vector<DWORD> ChildProcessIds(DWORD pid, const std::string& name);

// The rows of a rich-text or multi-line edit control as the user sees them.
Lines RowsOf(const Window& control);

// A wizard as a user sees it: a program started as its own process, and its
// window.
class Wizard {
 public:
  // Starts exe with args in folder and waits for its window captioned caption.
  Wizard(const std::string& exe, const std::string& args, const std::string& folder,
         const std::string& caption);
  // Takes over a program already started (a benchmark times its start) and
  // waits for its window captioned caption.
  Wizard(Process started, const std::string& caption);

  Process& Program() { return process_; }
  const Process& Program() const { return process_; }
  const Window& Form() const { return form_; }

  Window Button(const std::string& text) const;
  Window Edit(const std::string& label) const;  // the edit that the label names
  // The visible label whose shown text starts with text, waiting for it.
  Window Label(const std::string& text) const;
  // Waits for the page whose heading is heading.
  void WaitPage(const std::string& heading) const;
  void Press(const std::string& button) const;
  // Waits for a message box of the program saying text, captioned caption.
  MsgBox Box(const std::string& text, const std::string& caption = kProduct) const;
  // Presses button, confirms question with OK, and waits out the wait dialog
  // until heading shows.
  void ConfirmAndWait(const std::string& button, const std::string& question,
                      const std::string& heading) const;
  // The wait dialog after the question was confirmed.
  Window WaitDialog() const;
  // Unchecks the check box box, waiting until it shows unchecked.
  void Uncheck(const std::string& box) const;
  // The Explorer window that the program opened on the program group, waiting
  // for it a while; none when it started no Explorer.
  Window OpenedExplorer() const;
  // Closes that window, if any, as a user would.
  void CloseExplorer() const;
  // Last page: "Run Corvaline" unchecked, the Explorer window closed, the
  // program left with button; Failure unless it ends with exit code 0.
  void Leave(const std::string& button) const;

 private:
  Process process_;
  Window form_;
};

// The setup wizard: dist\setup.exe started in startIn (dist when empty).
class SetupWizard : public Wizard {
 public:
  explicit SetupWizard(const std::string& dist, const std::string& startIn = "");
  explicit SetupWizard(Process started);
  // dist\setup.exe started in startIn (dist when empty), not yet waited for.
  static Process Start(const std::string& dist, const std::string& startIn = "");

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
};

// A whole first installation from dist into dest, as a user makes it; the
// Explorer window closed, setup left with Exit without starting the client.
void InstallAsUser(const std::string& dist, const std::string& dest, const std::string& address,
                   const std::string& host);

}  // namespace e2e
