// The setup wizard's install, timed as a user starts it: from the click that
// confirms "Install now?" to the Done page, with the wait dialog's lifetime
// apart (its fixed countdown of about 4 s does no work).
#pragma once
#include <string>
#include <vector>

#include "tests/bench/poll.h"
#include "tests/e2e/session.h"

namespace bench {

struct InstallTimes {
  double total = 0;  // confirmation to Done page
  double wait = 0;   // the wait dialog's lifetime
  double after = 0;  // the wait dialog's closing to Done page
  std::vector<double> marks;  // the wait dialog's closing to each milestone
  double Steps() const { return total - wait; }
};

// From the Review page: presses Install, confirms, and waits for the Done page,
// timing the milestones that come in order between the wait dialog's closing
// and the Done page.
InstallTimes TimeInstall(const e2e::SetupWizard& setup, const std::vector<Milestone>& along = {});

// Wine's xcopy copying a folder (/E /I /Y) as its own process, from its start
// to its end, in ms: the floor of any install of those files.
double TimeXcopy(const std::string& from, const std::string& to);

}  // namespace bench
