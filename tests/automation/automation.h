// UI automation for end-to-end tests: drives the windows of another process
// the way a user would, through window messages only, so that it works under
// Wine on a bare X display without a window manager or input focus.
//
// Queries (Find..., Text, Enabled...) never throw. Waits and actions throw
// Failure with a sentence saying what was expected and what was there; a
// GoogleTest body reports it as the test's failure, a plain program prints it.
// No wait runs without a timeout.
#pragma once
#include <windows.h>

#include <chrono>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "sys/handle.h"

namespace automation {

using Duration = std::chrono::milliseconds;
// Generous: a cold Wine start of a GUI program takes a few seconds.
inline constexpr Duration kDefaultTimeout{15000};

class Failure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Polls done() until it holds. On timeout throws Failure "timed out after N ms
// waiting for <what>", followed by details() when given (what was there).
void WaitUntil(const std::function<bool()>& done, Duration timeout, const std::string& what,
               const std::function<std::string()>& details = nullptr);

// A label's text as the user sees it: "&x" shows as "x", "&&" as "&".
std::string ShownText(const std::string& text);

// Which control to find among a window's descendants.
struct Control {
  enum class Match { Exact, Prefix, Contains };
  std::string cls;            // window class, case ignored; empty: any class
  std::string text;           // compared with the shown text; empty: any text
  Match match = Match::Exact;
  bool visibleOnly = true;    // hidden notebook pages hold controls too
  int index = 0;              // the n-th match, in the parent's child order

  std::string Describe() const;
};

// The standard classes the forms are built from.
Control ButtonControl(const std::string& text);  // push buttons and check boxes
Control EditControl(int index = 0);
Control StaticControl(const std::string& text, Control::Match match = Control::Match::Exact);
Control RichEditControl(int index = 0);

// A window of any process. Copies are cheap: it is only the handle.
class Window {
 public:
  Window() = default;
  explicit Window(HWND hwnd) : hwnd_(hwnd) {}

  HWND Handle() const { return hwnd_; }
  explicit operator bool() const { return hwnd_ != nullptr; }
  bool operator==(const Window& other) const { return hwnd_ == other.hwnd_; }

  bool Exists() const;
  std::string Text() const;  // WM_GETTEXT as stored (RichEdit gives CR LF line ends)
  std::string ShownText() const { return automation::ShownText(Text()); }
  std::string ClassName() const;
  int Id() const;
  DWORD ProcessId() const;
  bool Enabled() const;
  bool Visible() const;  // shown, and every ancestor shown
  bool Checked() const;  // a check box's state
  RECT Rect() const;     // screen coordinates
  std::string Describe() const;  // class and text, for messages

  // Descendants in child order (depth first), optionally only the visible ones.
  std::vector<Window> Controls(bool visibleOnly = true) const;
  std::string DescribeControls() const;  // every visible control, one per line
  // The control matching the query, or an empty Window.
  Window Find(const Control& query) const;
  // The same, waiting for it to appear; Failure on timeout.
  Window Get(const Control& query, Duration timeout = kDefaultTimeout) const;
  // The visible control of class cls that a label (found by its shown text or
  // prefix) names: the nearest one starting at or below the label's top,
  // first by distance down, then across.
  Window FieldOf(const std::string& labelText, const std::string& cls = "Edit",
                 Duration timeout = kDefaultTimeout) const;

 private:
  HWND hwnd_ = nullptr;
};

// Top-level windows -----------------------------------------------------------

// Visible top-level windows of a process (pid 0: of every process).
std::vector<Window> TopWindows(DWORD pid);
std::string DescribeTopWindows(DWORD pid);
// A visible top-level window with exactly this caption that is not a message
// box; pid 0 matches any process. Failure on timeout.
Window WaitForWindow(DWORD pid, const std::string& caption, Duration timeout = kDefaultTimeout);
// The same, for the one that also shows a control matching content: two
// programs may use one caption (the stand-in client and an Explorer window).
Window WaitForWindowShowing(DWORD pid, const std::string& caption, const Control& content,
                            Duration timeout = kDefaultTimeout);
// Waits until the window is destroyed or hidden.
void WaitGone(const Window& w, Duration timeout = kDefaultTimeout);
// Waits until the control's text is exactly text (or its shown text is).
void WaitText(const Window& w, const std::string& text, Duration timeout = kDefaultTimeout);
void WaitEnabled(const Window& w, bool enabled, Duration timeout = kDefaultTimeout);

// A user's actions ---------------------------------------------------------------
// Each one first checks that a user could do it (the control is visible and
// enabled, its window not disabled by a modal one) and fails otherwise. They
// post their messages and return; wait for the effect with the waits above.

// Presses a push button or toggles a check box (BM_CLICK, posted: a button
// that opens a modal window would block a sent message until it closes).
void Click(const Window& button);
// Clicks into an edit, selects its whole text and types text over it, one
// WM_CHAR per byte; then waits until the edit holds text. An empty text
// deletes the selection with Backspace.
void Type(const Window& edit, const std::string& text, Duration timeout = kDefaultTimeout);
// Types at the end of the edit's text.
void Append(const Window& edit, const std::string& text, Duration timeout = kDefaultTimeout);
// Deletes the last count characters with Backspace.
void Backspace(const Window& edit, int count = 1, Duration timeout = kDefaultTimeout);
// A key press (down, up) for the control that has the focus in the window's
// thread, or the window itself when that is not one of its own.
void PressKey(const Window& w, WORD vk);
inline void PressEscape(const Window& w) { PressKey(w, VK_ESCAPE); }
inline void PressEnter(const Window& w) { PressKey(w, VK_RETURN); }
// Brings a top-level window, with the windows it owns, in front of the others,
// as a click on its caption would (another program's window may cover it).
void Raise(const Window& w);
// List boxes and drop-down lists (combo boxes): their items and selection.
std::vector<std::string> Items(const Window& list);
int SelectedIndex(const Window& list);  // -1: none
// Selects the item with this text (exactly, else without the blanks around it)
// as a user would: a click on it in a list box (scrolled into view first),
// arrow keys in a combo box; then waits until it is selected. Failure when
// there is no such item.
void Select(const Window& list, const std::string& item, Duration timeout = kDefaultTimeout);
// A double click on the list box's item (opens a folder in a folder list).
void DoubleClick(const Window& list, const std::string& item);
// The system menu's Close item.
void Close(const Window& w);
// Any system-menu command (the About items use 4096).
void SysCommand(const Window& w, WPARAM command);

// Real keystrokes -------------------------------------------------------------
// Sent as the keyboard sends them (SendInput), they reach whichever control has
// the focus in the foreground window, Shift and Alt held as a dialog reads
// them. Each call first waits until w's window is in the foreground (Failure
// otherwise), so that no key lands in another window; wait for the effect of
// keys that open or close a window before sending the next ones.

// Blank-separated presses, modifiers joined with "+": "alt+n", "shift+Tab",
// "Return", "Escape", "space", "F4", a letter or digit.
void SendKeys(const Window& w, const std::string& keys);
// Types text character by character, with Shift where the layout needs it.
void TypeKeys(const Window& w, const std::string& text);
// The control that has the keyboard focus in w's thread; empty when none.
Window Focused(const Window& w);
// The visible push button of w drawn as the default one; empty when none.
Window DefaultButton(const Window& w);

// Message boxes ---------------------------------------------------------------

bool IsMsgBox(const Window& w);

// A standard message box of another process.
class MsgBox {
 public:
  explicit MsgBox(Window box) : box_(box) {}
  Window Box() const { return box_; }
  std::string Caption() const { return box_.Text(); }
  std::string Text() const;                  // the Static with id 0xFFFF
  std::vector<std::string> Buttons() const;  // shown texts of its buttons
  std::string Describe() const;
  // Presses the button with this id (IDOK, IDCANCEL, IDYES, IDNO...) and waits
  // until the box has gone.
  void Answer(int id, Duration timeout = kDefaultTimeout) const;

 private:
  Window box_;
};

// The next visible message box of the process (pid 0: any), optionally the one
// whose text is text. Failure on timeout.
MsgBox WaitForMsgBox(DWORD pid, Duration timeout = kDefaultTimeout);
MsgBox WaitForMsgBox(DWORD pid, const std::string& text, Duration timeout = kDefaultTimeout);

// Processes -------------------------------------------------------------------

// A program started as its own process. The owner ends it, and whatever it
// started, when it goes out of scope while they still run.
class Process {
 public:
  // exe: path of the program; args: the rest of the command line as typed;
  // folder: its current directory (empty: ours). Failure when it cannot start.
  static Process Start(const std::string& exe, const std::string& args = "",
                       const std::string& folder = "");

  Process() = default;
  Process(Process&&) noexcept = default;
  Process& operator=(Process&& other) noexcept;
  ~Process();

  DWORD Id() const { return pid_; }
  bool Running() const;
  // Waits for the end and returns the exit code; Failure on timeout.
  DWORD WaitExit(Duration timeout = kDefaultTimeout) const;
  // Whether the process or anything it started still runs.
  bool TreeRunning() const;
  // How many processes the program and what it started have made so far,
  // itself included (0 when unknown); a cheap look that leaves it undisturbed.
  DWORD ProcessesStarted() const;
  // Ends the process and everything it started; waits for the end.
  void Kill();

  Window WaitForWindow(const std::string& caption, Duration timeout = kDefaultTimeout) const {
    return automation::WaitForWindow(pid_, caption, timeout);
  }
  MsgBox WaitForMsgBox(Duration timeout = kDefaultTimeout) const {
    return automation::WaitForMsgBox(pid_, timeout);
  }
  MsgBox WaitForMsgBox(const std::string& text, Duration timeout = kDefaultTimeout) const {
    return automation::WaitForMsgBox(pid_, text, timeout);
  }

 private:
  UniqueHandle process_;
  UniqueHandle job_;  // holds the process and its descendants
  DWORD pid_ = 0;
};

// Screenshots -----------------------------------------------------------------

// 24-bit pixels, top row first, each row R G B per pixel without padding.
struct Image {
  int width = 0;
  int height = 0;
  std::vector<unsigned char> rgb;
};

// What the screen shows in the rectangle (screen coordinates), or the whole screen.
Image CaptureScreen();
Image CaptureRect(const RECT& r);
// A window as the screen shows it (its outer rectangle, clipped to the screen)
// once its painting has settled (two copies in a row agree; at most 3 s).
Image CaptureWindow(const Window& w);
// Every visible top-level window of the process, in the rectangle around them,
// settled the same way.
Image CaptureProcess(DWORD pid);

// PNG (8-bit RGB, zlib-compressed) of the image.
std::string EncodePng(const Image& image);
// Writes the PNG file; Failure when it cannot be written.
void SavePng(const Image& image, const std::string& path);

// The folder of the running program, with a trailing backslash.
std::string ProgramFolder();

}  // namespace automation
