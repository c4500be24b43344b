// The DDE client conversation, against no server and against the shell's
// Program Manager (hosted by Wine's desktop process once a window exists).
#include <gtest/gtest.h>

#include "sys/exception.h"
#include "tests/ui/sample_form.h"
#include "ui/ui.h"

TEST(DdeClient, WithoutAServerThereIsNoLinkAndNothingToExecute) {
  ui::DdeClient client;
  EXPECT_FALSE(client.SetLink("CvNoSuchService", "CvNoSuchTopic"));
  EXPECT_FALSE(client.Connected());
  EXPECT_THROW(client.ExecuteMacro("[DeleteGroup(Anything)]"), EDdeError);
}

TEST(DdeClient, TalksToTheProgramManagerUntilTheLinkCloses) {
  if (!GetEnvironmentVariableA("DISPLAY", nullptr, 0)) GTEST_SKIP() << "no display, no desktop";
  SampleForm form;  // the first window brings up the desktop and its DDE server
  ui::DdeClient client;
  ASSERT_TRUE(client.SetLink("PROGMAN", "PROGMAN"));
  EXPECT_TRUE(client.Connected());
  // A group that is not there: handed over all the same; the outcome is the server's.
  EXPECT_TRUE(client.ExecuteMacro("[DeleteGroup(Cv No Such Group 7f3a)]"));
  // Linking again replaces the conversation.
  ASSERT_TRUE(client.SetLink("PROGMAN", "PROGMAN"));
  client.CloseLink();
  EXPECT_FALSE(client.Connected());
  EXPECT_THROW(client.ExecuteMacro("[DeleteGroup(Anything)]"), EDdeError);
}
