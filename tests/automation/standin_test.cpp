// The stand-in client of the sample distribution, as the wizard starts it.
#include <gtest/gtest.h>

#include "tests/automation/automation.h"

namespace automation {
namespace {

TEST(StandInTest, ShowsItselfItsCommandLineAndFolder) {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  std::string folder = std::string(temp).substr(0, std::string(temp).size() - 1);
  std::string exe = ProgramFolder() + CV_STANDIN_PATH;
  Process client = Process::Start(exe, "-profile \"a b\"", folder);
  Window window = WaitForWindowShowing(
      client.Id(), "Corvaline",
      StaticControl("This program stands in for the Corvaline client", Control::Match::Prefix));
  EXPECT_EQ(window.ProcessId(), client.Id());
  EXPECT_EQ(window.Get(StaticControl("Command line:", Control::Match::Prefix)).Text(),
            "Command line: \"" + exe + "\" -profile \"a b\"");
  EXPECT_EQ(window.Get(StaticControl("Current folder:", Control::Match::Prefix)).Text(),
            "Current folder: " + folder);
  Click(window.Get(ButtonControl("Close")));
  EXPECT_EQ(client.WaitExit(), 0u);
}

}  // namespace
}  // namespace automation
