// The wait dialog: its countdown step by step, the question on Cancel, and a
// run on real timers (about 4.5 s). A confirmed Cancel through the caller is
// in the install flow tests.
#include <gtest/gtest.h>

#include <string>

#include "wizard/WaitDlg.h"
#include "tests/setup/setup_fixture.h"
#include "tests/ui/sample_form.h"

using formtest::MsgBoxScript;
using formtest::RunLater;

namespace {

const char kText[] = "...installing corvaline...";

}  // namespace

TEST(WaitForm, StartsWaitingWithCancelUnavailable) {
  SampleForm owner;
  TWaitForm dialog(owner);
  EXPECT_EQ(dialog.Caption(), "Installing");
  EXPECT_EQ(dialog.Panel1.Text(), "...wait...");
  EXPECT_FALSE(dialog.CancelBtn.Enabled());
  EXPECT_EQ(dialog.CancelBtn.Text(), "Cancel");
  EXPECT_TRUE(dialog.Timer1.Enabled());
  EXPECT_EQ(dialog.Timer1.Interval(), 1000u);
  EXPECT_EQ(dialog.Timer1.Tag, 0);
  EXPECT_EQ(dialog.Ticks(), 0);
  // No system menu, so no close box.
  EXPECT_EQ(GetWindowLongA(dialog.Handle(), GWL_STYLE) & WS_SYSMENU, 0);
}

TEST(WaitForm, FirstTickShowsTheTextThenSixBlinksEndItWithTheTextShowing) {
  SampleForm owner;
  TWaitForm dialog(owner);
  dialog.SetWaitText(kText);

  dialog.Timer1Timer();
  EXPECT_TRUE(dialog.CancelBtn.Enabled());
  EXPECT_EQ(dialog.Panel1.Text(), kText);
  EXPECT_EQ(dialog.Timer1.Interval(), 500u);
  EXPECT_EQ(dialog.Timer1.Tag, 1);
  EXPECT_TRUE(dialog.Timer1.Enabled());
  EXPECT_EQ(dialog.Ticks(), 0);

  std::string shown;
  for (int tick = 1; tick <= 5; ++tick) {
    dialog.Timer1Timer();
    shown += dialog.Panel1.Text().empty() ? '-' : '+';
    EXPECT_EQ(dialog.Ticks(), tick);
    EXPECT_EQ(dialog.ModalResult(), ui::mrNone) << "closed after " << tick << " blinks";
  }
  EXPECT_EQ(shown, "-+-+-");
  dialog.Timer1Timer();
  EXPECT_EQ(dialog.Ticks(), 6);
  EXPECT_EQ(dialog.Panel1.Text(), kText);
  EXPECT_EQ(dialog.ModalResult(), ui::mrOk);
}

TEST(WaitForm, ABlinkRearmsAPausedTimer) {
  SampleForm owner;
  TWaitForm dialog(owner);
  dialog.Timer1Timer();
  dialog.Timer1.SetEnabled(false);
  dialog.Timer1Timer();
  EXPECT_TRUE(dialog.Timer1.Enabled());
  EXPECT_EQ(dialog.Ticks(), 1);
}

TEST(WaitForm, CancelAsksWithTheTimerStoppedAndNoResumesTheCountdown) {
  MsgBoxScript boxes;
  SampleForm owner;
  TWaitForm dialog(owner);
  dialog.Timer1Timer();
  dialog.Timer1Timer();
  bool timerRanDuringQuestion = true;
  boxes.OnEach([&](const ui::MsgBoxRequest&) { timerRanDuringQuestion = dialog.Timer1.Enabled(); });

  // The countdown's own end asks nothing.
  dialog.SetModalResult(ui::mrOk);
  bool canClose = false;
  dialog.FormCloseQuery(canClose);
  EXPECT_EQ(boxes.Count(), 0u);
  dialog.Timer1.SetEnabled(true);

  boxes.Then(IDNO).Then(IDYES);
  dialog.SetModalResult(ui::mrCancel);
  canClose = true;
  dialog.FormCloseQuery(canClose);
  ASSERT_EQ(boxes.Count(), 1u);
  EXPECT_FALSE(canClose);
  EXPECT_FALSE(timerRanDuringQuestion);
  EXPECT_EQ(boxes[0].text, "Cancel process?");
  EXPECT_EQ(boxes[0].caption, "Corvaline");
  EXPECT_EQ(boxes[0].type & MB_TYPEMASK, static_cast<UINT>(MB_YESNO));
  EXPECT_EQ(boxes[0].owner, dialog.Handle());
  EXPECT_TRUE(dialog.Timer1.Enabled());
  EXPECT_EQ(dialog.Ticks(), 1);
  EXPECT_EQ(dialog.Timer1.Tag, 1);

  canClose = true;
  dialog.FormCloseQuery(canClose);
  EXPECT_TRUE(canClose);
  EXPECT_FALSE(dialog.Timer1.Enabled());
}

// Real time: Cancel is refused before the first tick; after it, Cancel and
// No pause the countdown, which still counts six blinks before it ends.
TEST(WaitDialogRun, CancelledAndResumedItStillEndsAfterSixBlinks) {
  MsgBoxScript boxes;
  SampleForm owner;
  owner.Show();
  TWaitForm dialog(owner);
  dialog.SetCaption("Corvaline");
  dialog.SetWaitText(kText);
  const DWORD start = GetTickCount();
  int ticksAtQuestion = -1;
  boxes.Then(IDNO);
  boxes.OnEach([&](const ui::MsgBoxRequest&) { ticksAtQuestion = dialog.Ticks(); });
  RunLater(400, [&] {
    EXPECT_EQ(dialog.Panel1.Text(), "...wait...");
    EXPECT_FALSE(dialog.CancelBtn.Enabled());
    PostMessageA(dialog.CancelBtn.Handle(), BM_CLICK, 0, 0);  // not yet
    formtest::PressKey(dialog.Handle(), VK_ESCAPE);            // nor by Escape
  });
  RunLater(1750, [&] {
    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_TRUE(dialog.CancelBtn.Enabled());
    PostMessageA(dialog.CancelBtn.Handle(), BM_CLICK, 0, 0);
  });
  EXPECT_EQ(dialog.ShowModal(), ui::mrOk);
  const DWORD elapsed = GetTickCount() - start;
  EXPECT_EQ(boxes.Count(), 1u);
  EXPECT_GE(ticksAtQuestion, 1);
  EXPECT_LE(ticksAtQuestion, 2);
  EXPECT_EQ(dialog.Ticks(), 6);
  EXPECT_EQ(dialog.Panel1.Text(), kText);
  // One second, six half seconds, and the half second lost to the question.
  EXPECT_GE(elapsed, 4200u);
  EXPECT_FALSE(dialog.Visible());
}
