#include <gtest/gtest.h>

#include "msg/clock.h"
#include "msg/header_manager.h"

namespace {
class Summaries : public ::testing::Test {
 protected:
  void SetUp() override { SetClock([] { return LocalTime{2024, 3, 5, 7, 8, 9}; }); }
  void TearDown() override { SetClock({}); }
};
}  // namespace

TEST_F(Summaries, OutboundLineBytes) {
  Lines lines = {"Subject: Caf\xE9 \xA9 \xAD", " folded",
                 "Request-Remailing-To: Bob <bob@example.org>", "", "body"};
  THeaderManager hm;
  // 17 + 7 + 43 + 0 + 4 characters, 2 line ends each.
  EXPECT_EQ(hm.OutboundSummary(&lines),
            "2024-03-05 07:08:09 ->\xA9S\xAD" "bob@example.org\xAD" "Caf\xE9 \xA9 \xAD folded\xAD"
            "81");
  EXPECT_EQ(hm.GetLines(), &lines);
}

TEST_F(Summaries, InboundLineBytesAndTheDefaultSubject) {
  Lines lines = {"From: \"Ann\" <ann@example.org>", "To: me@example.org"};
  THeaderManager hm(&lines);
  EXPECT_EQ(hm.InboundSummary(),
            "2024-03-05 07:08:09 <-\xA8N\xAD" "ann@example.org\xAD" "Re:\xAD" "51");
  Lines empty;
  EXPECT_EQ(hm.OutboundSummary(&empty), "2024-03-05 07:08:09 ->\xA9S\xAD\xADRe:\xAD" "0");
}

TEST(Clock, TimeStampLayoutAndTheSystemClock) {
  EXPECT_EQ(FormatTimeStamp({2024, 12, 31, 23, 59, 5}), "2024-12-31 23:59:05 ");
  EXPECT_EQ(FormatTimeStamp({987, 1, 2, 0, 0, 0}), "0987-01-02 00:00:00 ");
  const LocalTime now = ClockNow();
  EXPECT_GE(now.year, 2024);
  EXPECT_GE(now.month, 1);
  EXPECT_LE(now.month, 12);
  EXPECT_GE(now.day, 1);
  EXPECT_LE(now.day, 31);
}
