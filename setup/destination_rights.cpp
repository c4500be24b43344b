// Where a standard user can install: without elevation (the program asks for
// none) Program Files takes no new folder, so the user's own programs folder
// stands in for it.
#include "common/constants.h"
#include "setup/SetupDlg.h"
#include "common/normalized_folder.h"
#include "sys/file_access.h"
#include "sys/known_folders.h"
#include "sys/path.h"

namespace {

const char kDefaultDestination[] = "C:\\Program Files\\Corvaline";

std::string UserDestination() {
  const std::string programs = UserProgramsFolder();
  return programs.empty() ? std::string() : AddBackslash(programs) + ProductName;
}

}  // namespace

// Before the Start page shows: a user who cannot install into the default
// folder is offered the one that works.
void TSetupForm::ProposeDestination() {
  if (AppDIR.Text() != kDefaultDestination || !LacksRightsFor(AppDIR.Text())) return;
  const std::string own = UserDestination();
  if (!own.empty()) AppDIR.SetText(own);
}

// At install: a destination this user may not write is changed for the
// user's own programs folder (Yes), or the user goes back to choose (No).
bool TSetupForm::CheckDestinationRights() {
  const std::string own = UserDestination();
  if (!LacksRightsFor(AppDIR.Text()) || own.empty() || SameFolder(AppDIR.Text(), own)) return true;
  const std::string question = "You do not have the rights to install into\n" +
                               StripBackslash(AppDIR.Text()) +
                               "\n\nInstall into your own programs folder\n" + own + "\ninstead?";
  if (ui::MsgBox(Handle(), question, ProductName, MB_YESNO) != IDYES) {
    ReturnToStart();
    return false;
  }
  AppDIR.SetText(own);
  FillSummary();
  return true;
}
