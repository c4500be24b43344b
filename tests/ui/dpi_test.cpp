// Forms are laid out for 96 DPI and scaled to the system's DPI: positions,
// sizes and font heights. The session runs at 96; a child run of this program
// checks the same layout at 144 DPI.
#include <gtest/gtest.h>

#include <string>

#include "tests/ui/form_test_support.h"
#include "tests/ui/sample_form.h"
#include "ui/ui.h"

namespace {

RECT InParent(HWND control) {
  RECT r;
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

void ExpectScaledLayout() {
  using ui::Scale;
  SampleForm form;
  RECT client;
  GetClientRect(form.Handle(), &client);
  EXPECT_EQ(client.right, Scale(kSampleFormSpec.clientWidth));
  EXPECT_EQ(client.bottom, Scale(kSampleFormSpec.clientHeight));
  for (size_t i = 0; i < kSampleControlCount; ++i) {
    const ui::ControlSpec& row = kSampleControls[i];
    RECT r = InParent(form.Find(row.name)->Handle());
    EXPECT_EQ(r.left, Scale(row.left)) << row.name;
    EXPECT_EQ(r.top, Scale(row.top)) << row.name;
    if (row.kind == ui::Kind::Label) continue;  // sized to its text
    EXPECT_EQ(r.right - r.left, Scale(row.width)) << row.name;
    EXPECT_EQ(r.bottom - r.top, Scale(row.height)) << row.name;
  }
  // Notebook pages fill the notebook.
  RECT page = InParent(form.Find("Two")->Handle());
  EXPECT_EQ(page.right - page.left, Scale(150));
  EXPECT_EQ(page.bottom - page.top, Scale(150));

  // Fonts are scaled alike, and a label sized to its text fits it in that font.
  LOGFONTA font = {};
  GetObjectA(reinterpret_cast<HFONT>(SendMessageA(form.Name.Handle(), WM_GETFONT, 0, 0)),
             sizeof font, &font);
  EXPECT_EQ(font.lfHeight, Scale(-11));
  HWND label = form.OnTwo.Handle();
  HDC dc = GetDC(label);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(label, WM_GETFONT, 0, 0)));
  SIZE text = {};
  GetTextExtentPoint32A(dc, "On page two", 11, &text);
  SelectObject(dc, old);
  ReleaseDC(label, dc);
  RECT r = InParent(label);
  EXPECT_EQ(r.right - r.left, text.cx);
  EXPECT_EQ(r.bottom - r.top, text.cy);
}

}  // namespace

TEST(ScaledLayout, AtTheSessionDpi) {
  HDC screen = GetDC(nullptr);
  EXPECT_EQ(ui::SystemDpi(), GetDeviceCaps(screen, LOGPIXELSY));
  ReleaseDC(nullptr, screen);
  ExpectScaledLayout();
}

TEST(ScaledLayout, At144DpiEverythingGrowsByHalf) {
  EXPECT_EQ(formtest::RunAtDpi(144, "ScaledLayout.DISABLED_InAChildRun"), 0u)
      << "the layout at 144 DPI failed (see the child's output above)";
}

// Run by the test above, in a process started at another DPI.
TEST(ScaledLayout, DISABLED_InAChildRun) {
  ASSERT_EQ(formtest::ChildDpi(), 144) << "only run from At144DpiEverythingGrowsByHalf";
  ASSERT_EQ(ui::SystemDpi(), 144);
  EXPECT_EQ(ui::Scale(100), 150);
  EXPECT_EQ(ui::Scale(-11), -17);
  ExpectScaledLayout();
}
