// The form timer: interval, enabling, re-arming, and its end with its owner.
#include <gtest/gtest.h>

#include "tests/ui/form_test_support.h"
#include "tests/ui/sample_form.h"
#include "ui/ui.h"

using formtest::Pump;
using formtest::PumpUntil;

TEST(Timer, TicksOnlyWhileEnabled) {
  SampleForm form;
  ui::Timer timer(form, 40, false);
  int ticks = 0;
  timer.onTimer = [&] { ++ticks; };
  EXPECT_FALSE(timer.Enabled());
  EXPECT_EQ(timer.Interval(), 40u);
  Pump(250);
  EXPECT_EQ(ticks, 0);
  timer.Fire();  // a tick that arrives while disabled runs nothing
  EXPECT_EQ(ticks, 0);

  timer.SetEnabled(true);
  EXPECT_TRUE(PumpUntil([&] { return ticks >= 3; }, 3000));
  timer.SetEnabled(false);
  const int stopped = ticks;
  Pump(250);
  EXPECT_EQ(ticks, stopped);
}

TEST(Timer, EnablingAgainStartsAFullInterval) {
  SampleForm form;
  ui::Timer timer(form, 500, true);
  int ticks = 0;
  timer.onTimer = [&] { ++ticks; };
  // Re-armed every 100 ms for a second: the 500 ms never run out.
  for (int i = 0; i < 10; ++i) {
    Pump(100);
    timer.SetEnabled(true);
  }
  EXPECT_EQ(ticks, 0);
  EXPECT_TRUE(PumpUntil([&] { return ticks == 1; }, 3000));
}

TEST(Timer, ANewIntervalTakesEffectAtOnce) {
  SampleForm form;
  ui::Timer timer(form, 60000, true);
  int ticks = 0;
  timer.onTimer = [&] {
    // The handler may switch phases through its tag, as the wait dialog does.
    if (timer.Tag == 0) {
      timer.Tag = 1;
      timer.SetInterval(30000);
    }
    ++ticks;
  };
  timer.SetInterval(50);
  EXPECT_TRUE(PumpUntil([&] { return ticks == 1; }, 3000));
  EXPECT_EQ(timer.Tag, 1);
  Pump(300);
  EXPECT_EQ(ticks, 1);  // now waiting 30 s
}

TEST(Timer, TimersOfOneFormTickApartAndStopWithTheirObject) {
  SampleForm form;
  int fast = 0, slow = 0;
  UINT_PTR oldId;
  {
    ui::Timer a(form, 30, true), b(form, 60000, true);
    a.onTimer = [&] { ++fast; };
    b.onTimer = [&] { ++slow; };
    EXPECT_NE(a.Id(), b.Id());
    EXPECT_TRUE(PumpUntil([&] { return fast >= 2; }, 3000));
    EXPECT_EQ(slow, 0);
    oldId = a.Id();
  }
  const int before = fast;
  // Even a tick already queued for a timer that is gone finds nothing to run.
  PostMessageA(form.Handle(), WM_TIMER, oldId, 0);
  Pump(200);
  EXPECT_EQ(fast, before);
}
