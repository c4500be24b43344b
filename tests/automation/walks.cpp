// The two walks: an installation from the distribution folder with the setup
// wizard, then its removal with the installed uninstaller.
#include "tests/automation/walk.h"

#include <cstdio>

namespace walk {
namespace {

using namespace std::chrono_literals;

Step Do(Act act, const std::string& text = "", const std::string& value = "") {
  Step s;
  s.act = act;
  s.text = text;
  s.value = value;
  return s;
}

Step Within(Step s, Duration timeout) {
  s.timeout = timeout;
  return s;
}

Step StopUnless(Step s, const std::string& why) {
  s.onFail = OnFail::Stop;
  s.why = why;
  return s;
}

Step Optional(Step s, const std::string& why) {
  s.onFail = OnFail::Skip;
  s.why = why;
  return s;
}

// How both wizards end: a button asks a question, OK starts the wait dialog
// (captioned "Corvaline", its message blinking for about four seconds), and
// then the work runs until the last page says it is done.
struct Finish {
  std::string wizard;    // the wizard's caption
  std::string button;    // the button that asks
  std::string question;  // the question's text
  std::string waiting;   // the wait dialog's message
  std::string done;      // the heading of the last page
  int shots;             // the number of the first of its three shots
  std::string prefix;    // before the shot names
};

std::vector<Step> ConfirmAndWait(const Finish& f) {
  auto shot = [&](int n, const std::string& name) {
    char number[8];
    std::snprintf(number, sizeof number, "%02d-", f.shots + n);
    return Do(Act::Shot, number + f.prefix + name);
  };
  return {
      Do(Act::Press, f.button),
      Do(Act::Box, f.question),
      shot(0, "confirm"),
      Do(Act::Answer, "", "OK"),
      Do(Act::Window, "Corvaline"),
      Optional(Within(Do(Act::Label, f.waiting), 3s), "no blinking message seen"),
      shot(1, "wait"),
      Within(Do(Act::Gone), 20s),
      Do(Act::Window, f.wizard),
      StopUnless(Within(Do(Act::Label, f.done), 60s), "the wizard did not reach its last page"),
      shot(2, "done"),
  };
}

Walk Join(const std::string& name, std::vector<std::vector<Step>> parts) {
  Walk walk{name, {}};
  for (auto& part : parts) walk.steps.insert(walk.steps.end(), part.begin(), part.end());
  return walk;
}

}  // namespace

Walk SetupWalk(const Places& places) {
  return Join("setup", {
      {
          Do(Act::Launch, places.program, places.dist),
          Do(Act::Window, "Corvaline Setup"),
          Do(Act::Label, "Destination Folder"),
          Do(Act::Fill, "Destination Folder", places.installFolder),
          Do(Act::Shot, "01-start"),
          Do(Act::Press, "Next"),
          Do(Act::Label, "E-Address & Mail Server"),
          Do(Act::Fill, "Your Address:", "Jane Doe <jane.doe@example.org>"),
          Do(Act::Fill, "SMTP Host:", "mail.example.org"),
          Do(Act::Shot, "02-address"),
          Do(Act::Press, "Next"),
          Do(Act::Label, "Review Setup"),
          Do(Act::Shot, "03-review"),
      },
      ConfirmAndWait({"Corvaline Setup", "Install", "Install now?", "...installing corvaline...",
                      "Installation complete!", 4, ""}),
      {
          // Leaving with "Run Corvaline" checked starts the installed client.
          Do(Act::Press, "Exit"),
          Do(Act::Exit),
          StopUnless(Do(Act::ClientWindow, "Corvaline", "stands in for the Corvaline client"),
                     "the installed client did not start"),
          Do(Act::Shot, "07-client"),
          Do(Act::Close),
      },
  });
}

Walk UninstallWalk(const Places& places) {
  return Join("uninstall", {
      {
          StopUnless(Do(Act::Launch, places.installFolder + "\\UninstCV.exe", places.installFolder),
                     "there is no installed uninstaller"),
          Do(Act::Window, "Un-Install Wizard"),
          Do(Act::Label, "Click 'Next' to continue..."),
          Do(Act::Shot, "08-uninstall-start"),
          Do(Act::Press, "Next"),
          Do(Act::Label, "Select Items For Removal"),
          Do(Act::Shot, "09-uninstall-options"),
          Do(Act::Press, "Next"),
          Do(Act::Label, "Review Un-installation"),
          Do(Act::Shot, "10-uninstall-review"),
      },
      ConfirmAndWait({"Un-Install Wizard", "Finish", "Uninstall now?", "...uninstalling software...",
                      "Un-Installation complete!", 11, "uninstall-"}),
      {
          Do(Act::Press, "Exit"),
          Do(Act::Exit),
      },
  });
}

}  // namespace walk
