// The walks of `make run` without a display: what a user does in each wizard,
// page by page, as data that walk.exe plays.
#pragma once
#include <string>
#include <vector>

#include "tests/automation/automation.h"

namespace walk {

using automation::Duration;

enum class Act {
  Launch,        // start text (a file in the folder value, or a full path) as the walk's program
  Window,        // wait for the program's top-level window captioned text; it becomes the current one
  ClientWindow,  // the same, of any process, showing a control containing value
  Label,         // wait until the current window shows a control whose text starts with text
  Fill,          // type value into the edit that the label text names
  Press,         // click the button text
  Box,           // wait for the program's message box saying text
  Answer,        // answer that message box with the button id value ("OK", "Cancel", "Yes", "No")
  Shot,          // save a PNG named text of the current program's windows
  Gone,          // wait until the current window has closed
  Exit,          // wait until the program has ended
  Close,         // close the current window with the system menu, wait until it has gone
};

// What a failing step means for the walk.
enum class OnFail {
  Fail,  // the walk failed
  Stop,  // the program went no further: the walk ends here, without failing
  Skip,  // a detail the program may not show: note it and go on
};

struct Step {
  Act act = Act::Launch;
  std::string text;
  std::string value;
  Duration timeout = automation::kDefaultTimeout;
  OnFail onFail = OnFail::Fail;
  std::string why;  // said when the walk stops or skips here
};

struct Walk {
  std::string name;
  std::vector<Step> steps;
};

// Where a walk works: the distribution folder and the installation folder.
struct Places {
  std::string dist;
  std::string installFolder;
  std::string program = "setup.exe";  // the setup program in dist
};

Walk SetupWalk(const Places& places);
Walk UninstallWalk(const Places& places);

}  // namespace walk
