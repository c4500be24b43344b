// Forms: modal display and results, the close query, the keyboard (Escape,
// Enter), the message loop and the standard display of a handler's error.
#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "tests/ui/form_test_support.h"
#include "tests/ui/sample_form.h"
#include "ui/ui.h"

using formtest::MsgBoxScript;
using formtest::PressAlt;
using formtest::PressKey;
using formtest::Pump;
using formtest::PumpUntil;
using formtest::RunLater;

namespace {
void ClickLater(UINT delayMs, ui::Button& button) {
  RunLater(delayMs, [&button] { PostMessageA(button.Handle(), BM_CLICK, 0, 0); });
}

bool QuitPosted(int* exitCode = nullptr) {
  MSG msg;
  if (!PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) return false;
  if (exitCode) *exitCode = static_cast<int>(msg.wParam);
  return true;
}
}  // namespace

TEST(ShowModal, AButtonWithAModalResultEndsItAndOthersDoNot) {
  SampleForm owner;
  owner.Show();
  SampleForm dialog(&owner);
  int plainClicks = 0, okClicks = 0;
  dialog.Plain.onClick = [&] { ++plainClicks; };
  dialog.Ok.onClick = [&] { ++okClicks; };

  ClickLater(50, dialog.Plain);
  RunLater(200, [&] {
    EXPECT_TRUE(dialog.Visible());
    EXPECT_FALSE(IsWindowEnabled(owner.Handle()));  // the owner waits
    PostMessageA(dialog.Ok.Handle(), BM_CLICK, 0, 0);
  });
  EXPECT_EQ(dialog.ShowModal(), ui::mrOk);
  EXPECT_EQ(plainClicks, 1);
  EXPECT_EQ(okClicks, 1);
  EXPECT_FALSE(dialog.Visible());
  EXPECT_TRUE(IsWindowEnabled(owner.Handle()));

  // A second showing starts without a result.
  ClickLater(50, dialog.Cancel);
  EXPECT_EQ(dialog.ShowModal(), ui::mrCancel);
  EXPECT_EQ(dialog.ModalResult(), ui::mrCancel);
}

TEST(ShowModal, ARefusedCloseKeepsTheFormOpenWithItsResultCleared) {
  SampleForm form;
  int queries = 0;
  form.onCloseQuery = [&](bool& canClose) { canClose = ++queries > 1; };

  RunLater(50, [&] { PostMessageA(form.Handle(), WM_CLOSE, 0, 0); });
  RunLater(250, [&] {
    EXPECT_EQ(queries, 1);
    EXPECT_TRUE(form.Visible());
    EXPECT_EQ(form.ModalResult(), ui::mrNone);
    PostMessageA(form.Ok.Handle(), BM_CLICK, 0, 0);
  });
  EXPECT_EQ(form.ShowModal(), ui::mrOk);
  EXPECT_EQ(queries, 2);  // the OK button asks as well
}

TEST(ShowModal, TheCloseBoxEndsItWithCancel) {
  SampleForm form;
  RunLater(50, [&] { PostMessageA(form.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0); });
  EXPECT_EQ(form.ShowModal(), ui::mrCancel);
}

TEST(Keyboard, EscapePressesTheCancelButtonAndEnterTheDefaultOne) {
  SampleForm form;
  int okClicks = 0, cancelClicks = 0;
  form.Ok.onClick = [&] { ++okClicks; };
  form.Cancel.onClick = [&] { ++cancelClicks; };

  RunLater(50, [&] {
    form.Name.SetFocus();
    PressKey(form.Name.Handle(), VK_ESCAPE);
  });
  EXPECT_EQ(form.ShowModal(), ui::mrCancel);
  EXPECT_EQ(cancelClicks, 1);

  RunLater(50, [&] {
    form.Name.SetFocus();
    PressKey(form.Name.Handle(), VK_RETURN);
  });
  EXPECT_EQ(form.ShowModal(), ui::mrOk);
  EXPECT_EQ(okClicks, 1);
  EXPECT_EQ(cancelClicks, 1);
}

TEST(Keyboard, EnterDoesNothingWhileTheDefaultButtonIsDisabled) {
  SampleForm form;
  int okClicks = 0;
  form.Ok.onClick = [&] { ++okClicks; };
  form.Ok.SetEnabled(false);
  RunLater(50, [&] {
    form.First.SetFocus();
    PressKey(form.First.Handle(), VK_RETURN);
  });
  RunLater(300, [&] {
    EXPECT_TRUE(form.Visible());
    PressKey(form.First.Handle(), VK_ESCAPE);
  });
  EXPECT_EQ(form.ShowModal(), ui::mrCancel);
  EXPECT_EQ(okClicks, 0);
}

TEST(HandlerError, IsShownByTheStandardDisplayAndTheFormStaysUsable) {
  MsgBoxScript boxes;
  ui::Application::SetTitle("Toolkit Test");
  SampleForm form;
  int plainClicks = 0;
  form.Plain.onClick = [&] {
    if (++plainClicks == 1) throw std::runtime_error("Cannot open file C:\\x.dbc");
  };

  ClickLater(50, form.Plain);
  RunLater(300, [&] {
    EXPECT_EQ(boxes.Count(), 1u);
    EXPECT_TRUE(form.Visible());
    PostMessageA(form.Plain.Handle(), BM_CLICK, 0, 0);  // works again, no error now
    PostMessageA(form.Ok.Handle(), BM_CLICK, 0, 0);
  });
  EXPECT_EQ(form.ShowModal(), ui::mrOk);
  EXPECT_EQ(plainClicks, 2);
  ASSERT_EQ(boxes.Count(), 1u);
  EXPECT_EQ(boxes[0].text, "Cannot open file C:\\x.dbc");
  EXPECT_EQ(boxes[0].caption, "Toolkit Test");
  EXPECT_EQ(boxes[0].type & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
  EXPECT_EQ(boxes[0].type & MB_TYPEMASK, static_cast<UINT>(MB_OK));
  ui::Application::SetTitle("Corvaline");
}

// Each kind of box carries the icon Windows shows for it, whatever icon a
// caller names, and keeps its buttons and its default button.
TEST(MsgBox, EachKindShowsItsOwnIcon) {
  MsgBoxScript boxes;
  const struct {
    ui::BoxKind kind;
    UINT buttons;
    UINT icon;
  } cases[] = {
      {ui::BoxKind::Error, MB_OK, MB_ICONERROR},
      {ui::BoxKind::Error, MB_OK | MB_ICONINFORMATION, MB_ICONERROR},
      {ui::BoxKind::Warning, MB_RETRYCANCEL, MB_ICONWARNING},
      {ui::BoxKind::Question, MB_YESNO | MB_DEFBUTTON2, MB_ICONQUESTION},
      {ui::BoxKind::Question, MB_OKCANCEL, MB_ICONQUESTION},
      {ui::BoxKind::Information, MB_OK, MB_ICONINFORMATION},
  };
  for (const auto& c : cases) {
    boxes.Then(IDOK);
    ui::MsgBox(nullptr, "text", "caption", c.kind, c.buttons);
    const UINT type = boxes.Last().type;
    EXPECT_EQ(type & MB_ICONMASK, c.icon) << static_cast<int>(c.kind);
    EXPECT_EQ(type & (MB_TYPEMASK | MB_DEFMASK), c.buttons & (MB_TYPEMASK | MB_DEFMASK));
  }
  EXPECT_EQ(boxes.Count(), 6u);
}

TEST(MainForm, ClosesOnlyWhenTheQueryAllowsAndThenEndsTheMessageLoop) {
  SampleForm form;
  ui::Application::SetMainForm(&form);
  bool allow = false;
  form.onCloseQuery = [&](bool& canClose) { canClose = allow; };
  form.Show();

  form.Close();
  EXPECT_TRUE(form.Visible());
  EXPECT_FALSE(QuitPosted());

  allow = true;
  form.Close();
  EXPECT_FALSE(form.Visible());
  int exitCode = -1;
  EXPECT_TRUE(QuitPosted(&exitCode));
  EXPECT_EQ(exitCode, 0);
  ui::Application::SetMainForm(nullptr);
}

TEST(MainForm, RunShowsItAndLoopsUntilItCloses) {
  SampleForm form;
  bool shown = false;
  form.onShow = [&] { shown = true; };
  form.Cancel.onClick = [&] { form.Close(); };
  ui::Application::SetMainForm(&form);
  RunLater(100, [&] {
    EXPECT_TRUE(form.Visible());
    form.Name.SetFocus();
    PressKey(form.Name.Handle(), VK_ESCAPE);
  });
  ui::Application::Run();
  EXPECT_TRUE(shown);
  EXPECT_FALSE(form.Visible());
  ui::Application::SetMainForm(nullptr);
}

TEST(ProcessMessages, HandlesWhatIsPendingAndLeavesTheQuitForTheOuterLoop) {
  SampleForm form;
  form.Show();
  int changes = 0;
  form.Name.onChange = [&] { ++changes; };
  form.Name.SetFocus();
  PostMessageA(form.Name.Handle(), WM_CHAR, 'a', 1);
  PostMessageA(form.Name.Handle(), WM_CHAR, 'b', 1);
  ui::Application::ProcessMessages();
  EXPECT_EQ(form.Name.Text(), "ab");
  EXPECT_EQ(changes, 2);

  PostQuitMessage(7);
  PostMessageA(form.Name.Handle(), WM_CHAR, 'c', 1);
  ui::Application::ProcessMessages();
  EXPECT_EQ(form.Name.Text(), "abc");
  int exitCode = -1;
  EXPECT_TRUE(QuitPosted(&exitCode));
  EXPECT_EQ(exitCode, 7);
}

TEST(Keyboard, MnemonicsFocusTheControlAfterALabelAndPressButtons) {
  SampleForm form;
  form.Show();
  int plainClicks = 0;
  form.Plain.onClick = [&] { ++plainClicks; };
  form.Ok.SetFocus();

  // The label "&Name" hands the focus to the edit created after it.
  PressAlt(form.Ok.Handle(), 'n');
  ASSERT_TRUE(PumpUntil([&] { return GetFocus() == form.Name.Handle(); }, 2000))
      << "focus went to " << GetFocus();
  // "&First" toggles its box, "&Plain" clicks its button.
  PressAlt(form.Name.Handle(), 'f');
  ASSERT_TRUE(PumpUntil([&] { return form.First.Checked(); }, 2000));
  PressAlt(form.First.Handle(), 'p');
  ASSERT_TRUE(PumpUntil([&] { return plainClicks == 1; }, 2000));
  // A label on a page that is not showing takes no mnemonic.
  ASSERT_EQ(form.Pages.ActivePage(), "One");
  const HWND before = GetFocus();
  PressAlt(before, 't');
  formtest::Pump(200);
  EXPECT_EQ(GetFocus(), before);
  form.Pages.SetPageIndex(1);
  PressAlt(before, 't');
  EXPECT_TRUE(PumpUntil([&] { return GetFocus() == form.Find("TwoEdit")->Handle(); }, 2000));
}

TEST(Keyboard, TabVisitsTheShowingControlsInCreationOrder) {
  SampleForm form;
  form.Show();
  form.Cancel.SetEnabled(false);  // a disabled control is passed over
  form.Name.SetFocus();
  std::vector<HWND> visited;
  for (int i = 0; i < 6; ++i) {
    HWND from = GetFocus();
    PressKey(from, VK_TAB);
    ASSERT_TRUE(PumpUntil([&] { return GetFocus() != from; }, 2000)) << "Tab did not move on";
    visited.push_back(GetFocus());
  }
  const std::vector<HWND> expected = {form.First.Handle(), form.Second.Handle(), form.Plain.Handle(),
                                      form.Ok.Handle(), form.Name.Handle(), form.First.Handle()};
  EXPECT_EQ(visited, expected);
}

TEST(Keyboard, EnterPressesAFocusedPushButtonRatherThanTheDefaultOne) {
  SampleForm form;
  int plainClicks = 0, okClicks = 0;
  form.Plain.onClick = [&] { ++plainClicks; };
  form.Ok.onClick = [&] { ++okClicks; };
  RunLater(50, [&] {
    form.Plain.SetFocus();
    PressKey(form.Plain.Handle(), VK_RETURN);
  });
  RunLater(300, [&] {
    EXPECT_EQ(plainClicks, 1);
    EXPECT_EQ(okClicks, 0);
    // A check box is no push button: Enter there presses the default one.
    form.First.SetFocus();
    PressKey(form.First.Handle(), VK_RETURN);
  });
  EXPECT_EQ(form.ShowModal(), ui::mrOk);
  EXPECT_EQ(plainClicks, 1);
  EXPECT_EQ(okClicks, 1);
  EXPECT_FALSE(form.First.Checked());
}

TEST(ShowModal, AQuitWhileShownEndsItWithCancelAndReachesTheOuterLoop) {
  SampleForm form;
  RunLater(50, [] { PostQuitMessage(4); });
  EXPECT_EQ(form.ShowModal(), ui::mrCancel);
  EXPECT_FALSE(form.Visible());
  int exitCode = -1;
  EXPECT_TRUE(QuitPosted(&exitCode));
  EXPECT_EQ(exitCode, 4);
}

TEST(Keyboard, TheFocusNeverStaysOnADisabledOrHiddenControlNorOnNothing) {
  SampleForm form;
  form.Show();
  form.Plain.SetFocus();
  form.Plain.SetEnabled(false);
  EXPECT_EQ(GetFocus(), form.Ok.Handle()) << "the next control";
  // A page going away hands the focus on to the new page's first control, or
  // to the default button.
  form.Pages.SetPageIndex(1);
  ui::Control& onTwo = *form.Find("TwoEdit");
  onTwo.SetFocus();
  form.Pages.SetPageIndex(2);
  EXPECT_EQ(GetFocus(), form.Ok.Handle());
  // A page turned by a button (Back) puts the focus where the page asks for
  // input, not on that button; a page without input on the default button.
  form.Plain.SetEnabled(true);
  form.Plain.SetFocus();
  form.Pages.SetPageIndex(1);
  EXPECT_EQ(GetFocus(), onTwo.Handle());
  form.Plain.SetFocus();
  form.Pages.SetPageIndex(0);
  EXPECT_EQ(GetFocus(), form.Ok.Handle());
  form.Plain.SetFocus();
  form.Pages.SetPageIndex(0);  // the same page: nothing turns
  EXPECT_EQ(GetFocus(), form.Plain.Handle());
  form.Plain.SetEnabled(false);
  // Nothing left to take it: the form itself, until a control can again.
  for (ui::Control* c : std::vector<ui::Control*>{&form.Name, &form.First, &form.Second, &form.Ok, &form.Cancel})
    c->SetEnabled(false);
  EXPECT_EQ(GetFocus(), form.Handle());
  form.Cancel.SetEnabled(true);
  EXPECT_EQ(GetFocus(), form.Cancel.Handle());
}

// A click's work lets messages through; another click, the close box or Escape
// must not run inside it. Nor can the user close while Cancel is disabled.
TEST(Keyboard, NothingClosesTheFormUnderAClickNorWhileCancelIsDisabled) {
  SampleForm form;
  int plainClicks = 0;
  bool mayClose = false;
  form.onCloseQuery = [&](bool&) { EXPECT_TRUE(mayClose) << "closed too early"; };
  form.Plain.onClick = [&] {
    ++plainClicks;
    PostMessageA(form.Plain.Handle(), BM_CLICK, 0, 0);
    PostMessageA(form.Handle(), WM_CLOSE, 0, 0);
    PressKey(form.Name.Handle(), VK_ESCAPE);
    Pump(200);
  };
  ClickLater(50, form.Plain);
  RunLater(400, [&] {
    form.Cancel.SetEnabled(false);
    PostMessageA(form.Handle(), WM_CLOSE, 0, 0);
    PressKey(form.Name.Handle(), VK_ESCAPE);
  });
  RunLater(700, [&] {
    mayClose = true;
    form.Cancel.SetEnabled(true);
    PressKey(form.Name.Handle(), VK_ESCAPE);
  });
  EXPECT_EQ(form.ShowModal(), ui::mrCancel);
  EXPECT_EQ(plainClicks, 1);
}
