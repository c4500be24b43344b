// The setup program's windows keep every control whole inside its parent,
// every caption whole inside its control and every fixed text readable, at
// the session's DPI and, in a child run, at 144 DPI.
#include <richedit.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "setup/DirBrow.h"
#include "setup/SetupDlg.h"
#include "wizard/WaitDlg.h"
#include "tests/setup/setup_fixture.h"
#include "tests/ui/sample_form.h"

namespace {

BOOL CALLBACK Collect(HWND window, LPARAM lp) {
  reinterpret_cast<std::vector<HWND>*>(lp)->push_back(window);
  return TRUE;
}

std::string ClassOf(HWND window) {
  char name[64] = "";
  GetClassNameA(window, name, sizeof name);
  return name;
}

std::string TextOf(HWND window) {
  char text[512] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

// The width the caption takes in the control's font, "&" marks dropped.
int CaptionWidth(HWND control) {
  HDC dc = GetDC(control);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
  RECT r = {0, 0, 0, 0};
  std::string text = TextOf(control);
  DrawTextA(dc, text.c_str(), -1, &r, DT_CALCRECT | DT_SINGLELINE);
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  return r.right - r.left;
}

// Every control of form (at any depth) lies inside its parent's client area;
// captions fit their controls; rich texts can be read without scrolling.
void ExpectEverythingFits(ui::Form& form) {
  std::vector<HWND> controls;
  EnumChildWindows(form.Handle(), Collect, reinterpret_cast<LPARAM>(&controls));
  ASSERT_FALSE(controls.empty());
  for (HWND control : controls) {
    const std::string cls = ClassOf(control);
    const std::string label = form.Caption() + ": " + cls + " \"" + TextOf(control) + "\"";
    RECT r, parent;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    GetClientRect(GetParent(control), &parent);
    EXPECT_GE(r.left, 0) << label;
    EXPECT_GE(r.top, 0) << label;
    EXPECT_LE(r.right, parent.right) << label;
    EXPECT_LE(r.bottom, parent.bottom) << label;

    const LONG style = GetWindowLongA(control, GWL_STYLE);
    const int width = r.right - r.left;
    if (cls == "Button" && !TextOf(control).empty()) {
      const bool box = (style & BS_TYPEMASK) == BS_AUTOCHECKBOX;
      const int room = box ? width - GetSystemMetrics(SM_CXMENUCHECK) - 4 : width - 4;
      EXPECT_LE(CaptionWidth(control), room) << label;
    } else if (cls == "Static" && !TextOf(control).empty()) {
      EXPECT_LE(CaptionWidth(control), width) << label;
    } else if (cls == "RichEdit20W" && (style & WS_VISIBLE)) {
      EXPECT_TRUE(formtest::ShowsWhole(control)) << label;
    }
  }
}

// The height of the characters a rich text shows, in twips.
LONG CharHeight(HWND richText) {
  CHARFORMAT2A format = {};
  format.cbSize = sizeof format;
  SendMessageA(richText, EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
  return format.yHeight;
}

void ExpectSetupWindowsFit() {
  TSetupForm wizard;
  wizard.RichEdit3.SetLines({"Folder = C:\\Program Files\\Corvaline",
                             "Address = Jane Doe <jane.doe@example.com>",
                             "MailHost = mail.example.com", "ProgramGroup = yes"});
  ExpectEverythingFits(wizard);
  // Each page's introduction in the form's font, as the summary (which wraps
  // and so is never made smaller) shows it: none smaller to fit its rows.
  const LONG form = CharHeight(wizard.RichEdit3.Handle());
  EXPECT_GT(form, 0);
  EXPECT_EQ(CharHeight(wizard.RichEdit1.Handle()), form) << "Start";
  EXPECT_EQ(CharHeight(wizard.RichEdit2.Handle()), form) << "Address";
  EXPECT_EQ(CharHeight(wizard.RichEdit4.Handle()), form) << "Review";
  TWaitForm wait(wizard);
  wait.Panel1.SetText("...uninstalling software...");  // the longer of the two callers' texts
  ExpectEverythingFits(wait);
  TBrowseDlg browse(wizard);
  ExpectEverythingFits(browse);
}

using Layout = SetupTest;

}  // namespace

TEST_F(Layout, SetupWindowsFitAtTheSessionDpi) { ExpectSetupWindowsFit(); }

TEST_F(Layout, SetupWindowsFitAt144Dpi) {
  EXPECT_EQ(formtest::RunAtDpi(144, "Layout.DISABLED_InAChildRun"), 0u)
      << "the windows at 144 DPI do not fit (see the child's output above)";
}

// Run by the test above, in a process started at 144 DPI.
TEST_F(Layout, DISABLED_InAChildRun) {
  ASSERT_EQ(formtest::ChildDpi(), 144) << "only run from SetupWindowsFitAt144Dpi";
  ASSERT_EQ(ui::SystemDpi(), 144);
  ExpectSetupWindowsFit();
}
