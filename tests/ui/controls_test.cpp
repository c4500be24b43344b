// The toolkit's controls on a form built from a table: check boxes, edits,
// labels, the notebook and rich text.
#include <gtest/gtest.h>

#include <richedit.h>

#include <string>
#include <vector>

#include "tests/ui/form_test_support.h"
#include "tests/ui/sample_form.h"
#include "ui/ui.h"

using formtest::Pump;
using formtest::PumpUntil;

namespace {

SIZE TextExtent(HWND control, const std::string& text) {
  HDC dc = GetDC(control);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
  SIZE size = {};
  GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  return size;
}

SIZE WindowSize(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  return {r.right - r.left, r.bottom - r.top};
}

}  // namespace

TEST(CheckBox, HandlerRunsOnEveryChangeOfStateButNotForTheSameState) {
  SampleForm form;
  std::vector<bool> seen;  // the state the handler saw
  form.First.onClick = [&] { seen.push_back(form.First.Checked()); };

  form.First.SetChecked(false);  // already unchecked
  EXPECT_TRUE(seen.empty());
  form.First.SetChecked(true);
  form.First.SetChecked(true);
  EXPECT_EQ(seen, std::vector<bool>({true}));
  form.First.SetChecked(false);
  EXPECT_EQ(seen, std::vector<bool>({true, false}));

  // The user's click toggles the box itself and runs the handler once.
  SendMessageA(form.First.Handle(), BM_CLICK, 0, 0);
  EXPECT_TRUE(form.First.Checked());
  EXPECT_EQ(seen, std::vector<bool>({true, false, true}));
}

TEST(CheckBox, StateSetInsideAHandlerRunsTheOtherHandlerAtOnce) {
  SampleForm form;
  ASSERT_TRUE(form.Second.Checked());  // from the table
  std::vector<std::string> order;
  form.First.onClick = [&] {
    order.push_back("first");
    form.Second.SetChecked(!form.First.Checked());
    order.push_back("first done");
  };
  form.Second.onClick = [&] { order.push_back(form.Second.Checked() ? "second on" : "second off"); };

  form.First.SetChecked(true);
  EXPECT_EQ(order, std::vector<std::string>({"first", "second off", "first done"}));
  order.clear();
  SendMessageA(form.First.Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(order, std::vector<std::string>({"first", "second on", "first done"}));
  // A rule that sets what is already there runs nothing further.
  order.clear();
  form.Second.SetChecked(true);
  EXPECT_TRUE(order.empty());
}

TEST(Edit, ChangeHandlerRunsOnEveryChangeTypedOrSet) {
  SampleForm form;
  form.Show();
  std::vector<std::string> seen;
  form.Name.onChange = [&] { seen.push_back(form.Name.Text()); };

  form.Name.SetText("jane");
  form.Name.SetText("");
  EXPECT_EQ(seen, std::vector<std::string>({"jane", ""}));

  // Typing: each character is a change, and so is deleting it.
  form.Name.SetFocus();
  PostMessageA(form.Name.Handle(), WM_CHAR, 'x', 1);
  PostMessageA(form.Name.Handle(), WM_CHAR, 'y', 1);
  PostMessageA(form.Name.Handle(), WM_CHAR, VK_BACK, 1);
  ASSERT_TRUE(PumpUntil([&] { return seen.size() == 5; }));
  EXPECT_EQ(seen, std::vector<std::string>({"jane", "", "x", "xy", "x"}));
  EXPECT_EQ(form.Name.Text(), "x");
}

// Unicode windows: any letter, set or typed, comes back whole in UTF-8.
TEST(Edit, KeepsEveryLetter) {
  SampleForm form;
  EXPECT_TRUE(IsWindowUnicode(form.Handle()));
  EXPECT_TRUE(IsWindowUnicode(form.Name.Handle()));
  for (const std::string text : {"Jörg Æsir § ÿ", "C:\\Apps\\Почта", "C:\\Apps\\邮件 Łódź", "\U0001F600"}) {
    form.Name.SetText(text);
    EXPECT_EQ(form.Name.Text(), text);
    form.SetCaption(text);
    EXPECT_EQ(form.Caption(), text);
  }
  form.Name.SetText("");
  PostMessageW(form.Name.Handle(), WM_CHAR, L'Ж', 1);
  PostMessageW(form.Name.Handle(), WM_CHAR, L'邮', 1);
  ASSERT_TRUE(PumpUntil([&] { return form.Name.Text() == "Ж邮"; }));
}

TEST(Label, TakesTheSizeOfItsTextAlsoWhenTheTextChanges) {
  SampleForm form;
  HWND label = form.NameLabel.Handle();
  // "&" marks the mnemonic and takes no room.
  SIZE text = TextExtent(label, "Name");
  EXPECT_EQ(WindowSize(label).cx, text.cx);
  EXPECT_EQ(WindowSize(label).cy, text.cy);

  form.NameLabel.SetText("A much longer caption than before");
  EXPECT_EQ(WindowSize(label).cx, TextExtent(label, "A much longer caption than before").cx);
  form.NameLabel.SetText("Salt && Pepper");  // a doubled ampersand shows as one
  EXPECT_EQ(WindowSize(label).cx, TextExtent(label, "Salt & Pepper").cx);
  form.NameLabel.SetText("");
  EXPECT_EQ(WindowSize(label).cx, 0);
  EXPECT_GT(WindowSize(label).cy, 0);  // still one line high

  // A size in the layout is a guess that another system's fonts may not fit:
  // the text is never cut.
  const char wide[] = "A caption far wider than sixty pixels";
  form.Fixed.SetText(wide);
  EXPECT_EQ(WindowSize(form.Fixed.Handle()).cx, TextExtent(form.Fixed.Handle(), wide).cx);
  EXPECT_GT(WindowSize(form.Fixed.Handle()).cx, ui::Scale(60));
}

TEST(Notebook, ShowsOnePageAtATimeByIndexWithItsName) {
  SampleForm form;
  ui::Control* pages[] = {form.Find("One"), form.Find("Two"), form.Find("Three")};
  for (ui::Control* page : pages) {
    ASSERT_NE(dynamic_cast<ui::Panel*>(page), nullptr);
    EXPECT_EQ(GetParent(page->Handle()), form.Pages.Handle());
  }
  EXPECT_EQ(GetParent(form.OnTwo.Handle()), pages[1]->Handle());
  EXPECT_EQ(form.Pages.PageCount(), 3);

  auto shown = [&] {
    std::string names;
    for (ui::Control* page : pages)
      if (page->Visible()) names += page->Name();
    return names;
  };
  EXPECT_EQ(form.Pages.PageIndex(), 0);
  EXPECT_EQ(form.Pages.ActivePage(), "One");
  EXPECT_EQ(shown(), "One");

  form.Pages.SetPageIndex(1);
  EXPECT_EQ(form.Pages.ActivePage(), "Two");
  EXPECT_EQ(shown(), "Two");
  form.Pages.SetPageIndex(2);
  EXPECT_EQ(shown(), "Three");

  // Out of range: clamped to the pages there are.
  form.Pages.SetPageIndex(7);
  EXPECT_EQ(form.Pages.PageIndex(), 2);
  EXPECT_EQ(form.Pages.ActivePage(), "Three");
  form.Pages.SetPageIndex(-1);
  EXPECT_EQ(form.Pages.PageIndex(), 0);
  EXPECT_EQ(shown(), "One");
}

// The first page shows sooner: the others get their windows when they show,
// or while the shown form is idle, with what the program set on them before.
TEST(Notebook, LaterPagesGetTheirWindowsWithWhatWasSetOnThemMeanwhile) {
  SampleForm form;
  ui::Edit* edit = &form.Get<ui::Edit>("TwoEdit");
  EXPECT_TRUE(form.Name.HasWindow());
  EXPECT_FALSE(form.OnTwo.HasWindow());
  EXPECT_FALSE(edit->HasWindow());
  int changes = 0;
  edit->onChange = [&] { ++changes; };
  edit->SetText("kept");
  EXPECT_EQ(changes, 1);  // as the window would have told
  edit->SetEnabled(false);
  const char caption[] = "A longer caption on page two";
  form.OnTwo.SetText(caption);
  EXPECT_FALSE(edit->HasWindow());

  form.Pages.SetPageIndex(1);
  ASSERT_TRUE(edit->HasWindow());
  EXPECT_EQ(edit->Text(), "kept");
  EXPECT_FALSE(IsWindowEnabled(edit->Handle()));
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(WindowSize(form.OnTwo.Handle()).cx, TextExtent(form.OnTwo.Handle(), caption).cx);

  SampleForm shown;
  EXPECT_FALSE(shown.Built());
  shown.Show();
  EXPECT_TRUE(PumpUntil([&] { return shown.Built(); }, 2000));
  EXPECT_TRUE(shown.OnTwo.HasWindow());
}

TEST(RichText, HoldsLinesOnePerRowInOneColour) {
  SampleForm form;
  HWND notes = form.Notes.Handle();
  EXPECT_EQ(form.Notes.GetLines(), Lines({"one", "two"}));  // from the table
  EXPECT_EQ(SendMessageA(notes, EM_GETLINECOUNT, 0, 0), 2);

  // A line far wider than the box stays one row.
  const Lines wide = {std::string(200, 'w') + " the end of a long line", "second"};
  form.Notes.SetLines(wide);
  EXPECT_EQ(form.Notes.GetLines(), wide);
  EXPECT_EQ(SendMessageA(notes, EM_GETLINECOUNT, 0, 0), 2);
  EXPECT_FALSE(formtest::ShowsWhole(notes));
  form.Notes.AddLine("third");
  EXPECT_EQ(form.Notes.GetLines().size(), 3u);
  EXPECT_EQ(SendMessageA(notes, EM_GETLINECOUNT, 0, 0), 3);

  form.Notes.SetTextColor(ui::kGray);
  EXPECT_EQ(formtest::RichTextColor(notes), ui::kGray);
  // New text takes the colour too.
  form.Notes.SetLines({"grey as well"});
  EXPECT_EQ(formtest::RichTextColor(notes), ui::kGray);

  form.Notes.Clear();
  EXPECT_TRUE(form.Notes.GetLines().empty());
  EXPECT_EQ(GetWindowTextLengthA(notes), 0);
}

TEST(RichText, LaidOutToWrapItBreaksALongLineIntoRowsThatFit) {
  const ui::ControlSpec rows[] = {
      {ui::Kind::RichText, "Wrapped", "", 8, 8, 200, 120, "", {}, ui::kWrap},
  };
  ui::Form form(kSampleFormSpec, rows, ui::CountOf(rows));
  auto& text = form.Get<ui::RichText>("Wrapped");
  const std::string sentence =
      "This is not a problem though. Click 'Install' to complete program setup, "
      "and read every word of this sentence.";
  text.SetLines({sentence});
  EXPECT_EQ(text.GetLines(), Lines({sentence}));
  EXPECT_GT(SendMessageA(text.Handle(), EM_GETLINECOUNT, 0, 0), 1);
  EXPECT_TRUE(formtest::ShowsWhole(text.Handle()));
}

TEST(RichText, ARowALittleTooWideIsShownALittleSmallerRatherThanCut) {
  const ui::ControlSpec rows[] = {
      {ui::Kind::RichText, "Box", "", 8, 8, 600, 60, "", {}, 0},
  };
  ui::Form form(kSampleFormSpec, rows, ui::CountOf(rows));
  auto& box = form.Get<ui::RichText>("Box");
  auto height = [&] {
    CHARFORMAT2A format = {};
    format.cbSize = sizeof format;
    SendMessageA(box.Handle(), EM_SETSEL, 0, -1);
    SendMessageA(box.Handle(), EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    return format.yHeight;
  };
  const Lines text = {"Please review your setup below, for accuracy. Click 'Back' to make changes. ",
                      "short"};
  box.SetLines(text);
  const LONG natural = height();
  // Where the first row ends at its natural size.
  POINTL end = {0, 0};
  SendMessageA(box.Handle(), EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&end),
               static_cast<LPARAM>(text[0].find_last_not_of(' ') + 1));
  ASSERT_GT(end.x, 100);

  // A box a tenth too narrow for it.
  SetWindowPos(box.Handle(), nullptr, 0, 0, end.x * 9 / 10, 60, SWP_NOMOVE | SWP_NOZORDER);
  box.SetLines(text);
  EXPECT_EQ(box.GetLines(), text);
  EXPECT_LT(height(), natural);
  EXPECT_GE(height(), natural * 3 / 4);
  EXPECT_TRUE(formtest::ShowsWhole(box.Handle()));

  // Room again: the natural size comes back.
  SetWindowPos(box.Handle(), nullptr, 0, 0, 600, 60, SWP_NOMOVE | SWP_NOZORDER);
  box.SetLines(text);
  EXPECT_EQ(height(), natural);
}

TEST(FormTable, ControlsAreFoundByNameAndType) {
  SampleForm form;
  EXPECT_EQ(form.Find("Name"), &form.Name);
  EXPECT_EQ(form.Find("Nothing"), nullptr);
  EXPECT_THROW(form.Get<ui::Edit>("Ok"), Exception);
  EXPECT_THROW(form.Get<ui::Button>("Nothing"), Exception);
  // Captions are the window texts, so that automation finds each control;
  // the program reads them without the mnemonic's mark.
  EXPECT_EQ(form.Ok.Text(), "OK");
  EXPECT_EQ(form.Second.Text(), "Second");
  char shown[32];
  GetWindowTextA(form.Second.Handle(), shown, sizeof shown);
  EXPECT_STREQ(shown, "&Second");
  char cls[32];
  GetClassNameA(form.Second.Handle(), cls, sizeof cls);
  EXPECT_STREQ(cls, "Button");
  EXPECT_EQ(ui::Form::FromHandle(form.OnTwo.Handle()), &form);
}

// The program sets captions as the user reads them; the layout's list places
// the mnemonic, and an "&" of the program's text shows as itself.
TEST(Captions, TakeTheirMnemonicFromTheLayout) {
  const struct {
    const char* layout;
    const char* set;
    const char* shown;
  } cases[] = {
      {"&Next|&Install", "Install", "&Install"},
      {"&Next|&Install", "Next", "&Next"},
      {"C&orvaline", "Corvaline  { c:\\tom & jerry }", "C&orvaline  { c:\\tom && jerry }"},
      {"&Ok", "Tom & Jerry", "Tom && Jerry"},
  };
  for (const auto& c : cases) {
    const ui::ControlSpec rows[] = {{ui::Kind::CheckBox, "Box", "", 8, 8, 300, 17, c.layout, {}, 0}};
    ui::Form form(kSampleFormSpec, rows, ui::CountOf(rows));
    auto& box = form.Get<ui::CheckBox>("Box");
    box.SetText(c.set);
    char shown[128] = "";
    GetWindowTextA(box.Handle(), shown, sizeof shown);
    EXPECT_STREQ(shown, c.shown) << c.layout;
    EXPECT_EQ(box.Text(), c.set) << c.layout;
  }
}
