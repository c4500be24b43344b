// Keystrokes as the keyboard makes them (SendInput): the system routes them to
// the focused control of the foreground window and keeps the Shift and Alt
// states that the dialog manager reads, so they test what a user's would.
#include <windows.h>

#include <sstream>
#include <vector>

#include "tests/automation/automation.h"

namespace automation {
namespace {

void Send(std::vector<INPUT>& inputs) {
  if (SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) != inputs.size())
    throw Failure("the keys could not be sent: error " + std::to_string(GetLastError()));
  inputs.clear();
}

void Add(std::vector<INPUT>& inputs, WORD vk, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = vk;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  inputs.push_back(input);
}

// One chord: the modifiers down, the key pressed, the modifiers up.
void AddChord(std::vector<INPUT>& inputs, const std::vector<WORD>& modifiers, WORD key) {
  for (WORD m : modifiers) Add(inputs, m, false);
  Add(inputs, key, false);
  Add(inputs, key, true);
  for (auto m = modifiers.rbegin(); m != modifiers.rend(); ++m) Add(inputs, *m, true);
}

WORD KeyNamed(const std::string& name) {
  static const struct {
    const char* name;
    WORD vk;
  } kNames[] = {{"alt", VK_MENU},      {"shift", VK_SHIFT}, {"ctrl", VK_CONTROL}, {"Return", VK_RETURN},
                {"Escape", VK_ESCAPE}, {"Tab", VK_TAB},     {"space", VK_SPACE},  {"F4", VK_F4}};
  for (const auto& k : kNames)
    if (name == k.name) return k.vk;
  if (name.size() == 1) {
    const SHORT scan = VkKeyScanA(name[0]);
    if (scan != -1 && !(scan & 0x0100)) return static_cast<WORD>(scan & 0xFF);
  }
  throw Failure("no key named \"" + name + "\"");
}

// Keys must reach w's window and no other program's.
void RequireForeground(const Window& w) {
  const HWND root = GetAncestor(w.Handle(), GA_ROOT);
  WaitUntil([&] { return GetForegroundWindow() == root; }, std::chrono::milliseconds(5000),
            Window(root).Describe() + " in the foreground",
            [] { return "the foreground window is " + Window(GetForegroundWindow()).Describe(); });
}

}  // namespace

void SendKeys(const Window& w, const std::string& keys) {
  RequireForeground(w);
  std::vector<INPUT> inputs;
  std::istringstream chords(keys);
  for (std::string chord; chords >> chord;) {
    std::vector<WORD> parts;
    for (size_t start = 0;;) {
      const size_t plus = chord.find('+', start);
      parts.push_back(KeyNamed(chord.substr(start, plus - start)));
      if (plus == std::string::npos) break;
      start = plus + 1;
    }
    const WORD key = parts.back();
    parts.pop_back();
    AddChord(inputs, parts, key);
  }
  Send(inputs);
}

void TypeKeys(const Window& w, const std::string& text) {
  RequireForeground(w);
  std::vector<INPUT> inputs;
  for (char c : text) {
    const SHORT scan = VkKeyScanA(c);
    if (scan == -1) throw Failure(std::string("no key types '") + c + "'");
    std::vector<WORD> modifiers;
    if (scan & 0x0100) modifiers.push_back(VK_SHIFT);
    AddChord(inputs, modifiers, static_cast<WORD>(scan & 0xFF));
  }
  Send(inputs);
}

Window Focused(const Window& w) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(w.Handle(), nullptr), &info)) return Window();
  return Window(info.hwndFocus);
}

Window DefaultButton(const Window& w) {
  for (const Window& c : w.Controls()) {
    const LONG style = GetWindowLongA(c.Handle(), GWL_STYLE);
    if (c.ClassName() == "Button" && (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) return c;
  }
  return Window();
}

}  // namespace automation
