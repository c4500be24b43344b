// walk.exe: plays the walks of walks.cpp against the real programs and saves a
// screenshot of each page; `make run` uses it when there is no display.
//   walk --dist DIR --shots DIR [--folder INSTALL_FOLDER] [--only setup|uninstall]
//   walk --interactive --dist DIR   (starts setup for a person and waits until
//                                    it and everything it started have ended)
// Exit code 0 when every walk went as far as the programs go, 1 on a failure.
#include <windows.h>

#include <cstdio>
#include <map>

#include "sys/path.h"
#include "tests/automation/automation.h"
#include "tests/automation/walk.h"

using namespace automation;

namespace walk {
namespace {

// A failure the program itself reported: the walk fails even where it would
// otherwise stop quietly.
class Reported : public Failure {
 public:
  using Failure::Failure;
};

int AnswerId(const std::string& name) {
  static const std::map<std::string, int> ids = {
      {"OK", IDOK}, {"Cancel", IDCANCEL}, {"Yes", IDYES}, {"No", IDNO}};
  auto it = ids.find(name);
  if (it == ids.end()) throw Failure("no message-box button named " + name);
  return it->second;
}

// The top-level window the screen shows at the centre of w.
Window ShownAt(const Window& w) {
  const RECT r = w.Rect();
  return Window(GetAncestor(WindowFromPoint(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}), GA_ROOT));
}

class Player {
 public:
  explicit Player(std::string shots) : shots_(std::move(shots)) {}

  // Plays the walk; false when it failed (the reason is printed).
  bool Play(const Walk& walk) {
    std::printf("== %s\n", walk.name.c_str());
    for (const Step& step : walk.steps) {
      try {
        Do(step);
      } catch (const Failure& e) {
        const bool reported = dynamic_cast<const Reported*>(&e) != nullptr;
        if (step.onFail == OnFail::Skip && !reported) {
          std::printf("   (%s)\n", step.why.c_str());
          continue;
        }
        const bool stop = step.onFail == OnFail::Stop && !reported;
        if (program_.Running()) Snapshot(walk.name + (stop ? "-stopped" : "-failed"));
        if (stop) {
          std::printf("   %s: the %s walk ends here.\n   %s\n", step.why.c_str(), walk.name.c_str(), e.what());
          End();
          return true;
        }
        std::printf("FAILED: %s\n", e.what());
        End();
        return false;
      }
    }
    End();
    return true;
  }

 private:
  void Do(const Step& s) {
    switch (s.act) {
      case Act::Launch: {
        std::string exe = s.text.find('\\') == std::string::npos ? AddBackslash(s.value) + s.text : s.text;
        if (GetFileAttributesA(exe.c_str()) == INVALID_FILE_ATTRIBUTES) throw Failure(exe + " does not exist");
        program_ = Process::Start(exe, "", s.value);
        pid_ = program_.Id();
        std::printf("   started %s\n", exe.c_str());
        break;
      }
      case Act::Window:
        window_ = WaitForWindow(program_.Id(), s.text, s.timeout);
        pid_ = program_.Id();
        break;
      case Act::ClientWindow:
        window_ = WaitForWindowShowing(0, s.text, Control{"", s.value, Control::Match::Contains}, s.timeout);
        pid_ = window_.ProcessId();
        break;
      case Act::Label:
        WaitForLabel(Control{"", s.text, Control::Match::Prefix}, s.timeout);
        break;
      case Act::Fill:
        Type(window_.FieldOf(s.text, "Edit", s.timeout), s.value, s.timeout);
        break;
      case Act::Press: {
        Window button = window_.Get(ButtonControl(s.text), s.timeout);
        WaitEnabled(button, true, s.timeout);
        Click(button);
        break;
      }
      case Act::Box:
        box_ = automation::WaitForMsgBox(program_.Id(), s.text, s.timeout).Box();
        break;
      case Act::Answer:
        MsgBox(box_).Answer(AnswerId(s.value), s.timeout);
        break;
      case Act::Shot:
        // Another program's window (the Explorer window on the new program
        // group) may have opened over it: the picture must show this one.
        Raise(window_);
        WaitUntil([&] { return ShownAt(window_).ProcessId() == pid_; }, s.timeout,
                  window_.Describe() + " not covered by another program",
                  [&] { return "covered by " + ShownAt(window_).Describe(); });
        Save(CaptureProcess(pid_), s.text);
        break;
      case Act::Gone:
        WaitGone(window_, s.timeout);
        break;
      case Act::Exit:
        std::printf("   %s ended with exit code %lu\n", "the program",
                    static_cast<unsigned long>(program_.WaitExit(s.timeout)));
        break;
      case Act::Close:
        Close(window_);
        WaitGone(window_, s.timeout);
        break;
    }
  }

  // Waits for the control; a message box of the program instead (a failure it
  // reports) ends the wait at once, with what it says.
  void WaitForLabel(const Control& label, Duration timeout) {
    Window found;
    Window box;
    auto look = [&] {
      if ((found = window_.Find(label))) return true;
      for (const Window& w : TopWindows(program_.Id())) {
        if (IsMsgBox(w)) box = w;
      }
      return static_cast<bool>(box);
    };
    WaitUntil(look, timeout, label.Describe(), [&] { return window_.DescribeControls(); });
    if (!found) throw Reported("instead of " + label.Describe() + ", a " + MsgBox(box).Describe());
  }

  void Save(const Image& image, const std::string& name) {
    std::string path = AddBackslash(shots_) + name + ".png";
    SavePng(image, path);
    std::printf("   %s\n", path.c_str());
  }

  // The screen as it was when the walk stopped, for whoever looks into why.
  void Snapshot(const std::string& name) {
    try {
      Save(CaptureScreen(), name);
    } catch (const Failure&) {
    }
  }

  // Ends what the walk started (the program and whatever it started).
  void End() {
    program_.Kill();
    window_ = Window();
  }

  std::string shots_;
  Process program_;
  DWORD pid_ = 0;
  Window window_;
  Window box_;
};

// A person uses the wizard; we only wait until everything it started has ended,
// so that the client it may start stays on the screen.
int RunForAPerson(const std::string& dist, const std::string& program) {
  Process setup = Process::Start(AddBackslash(dist) + program, "", dist);
  while (setup.TreeRunning()) Sleep(250);
  return 0;
}

}  // namespace
}  // namespace walk

int main(int argc, char** argv) {
  std::map<std::string, std::string> options;
  bool interactive = false;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--interactive") {
      interactive = true;
    } else if (arg.rfind("--", 0) == 0 && i + 1 < argc) {
      options[arg.substr(2)] = argv[++i];
    } else {
      std::fprintf(stderr, "walk: unknown argument %s\n", arg.c_str());
      return 2;
    }
  }
  if (options["dist"].empty() || (!interactive && options["shots"].empty())) {
    std::fprintf(stderr, "usage: walk --dist DIR --shots DIR [--folder DIR] [--only setup|uninstall] [--program NAME]\n"
                         "       walk --interactive --dist DIR [--program NAME]\n");
    return 2;
  }
  try {
    // The setup program in DIST: setup.exe, or the one-file setup by its own name.
    const std::string program = options["program"].empty() ? "setup.exe" : options["program"];
    if (interactive) return walk::RunForAPerson(options["dist"], program);
    walk::Places places{options["dist"], options["folder"].empty() ? "C:\\Program Files\\Corvaline" : options["folder"],
                        program};
    walk::Player player(options["shots"]);
    bool ok = true;
    const std::string only = options["only"];
    if (only.empty() || only == "setup") ok = player.Play(walk::SetupWalk(places)) && ok;
    if (ok && (only.empty() || only == "uninstall")) ok = player.Play(walk::UninstallWalk(places)) && ok;
    std::fflush(stdout);
    return ok ? 0 : 1;
  } catch (const Failure& e) {
    std::printf("FAILED: %s\n", e.what());
    return 1;
  }
}
