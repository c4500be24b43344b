// Matching controls by what the user sees on them.
#include "tests/automation/automation.h"

namespace automation {

std::string ShownText(const std::string& text) {
  std::string shown;
  shown.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '&') {
      shown += text[i];
    } else if (i + 1 < text.size()) {
      // "&&" is a literal ampersand; "&x" underlines x.
      shown += text[++i];
    }
  }
  return shown;
}

std::string Control::Describe() const {
  std::string d = cls.empty() ? std::string("control") : cls;
  if (!text.empty()) {
    const char* how = match == Match::Exact ? "" : match == Match::Prefix ? " starting with" : " containing";
    d += std::string(how) + " \"" + text + "\"";
  }
  if (index > 0) d += " #" + std::to_string(index + 1);
  if (!visibleOnly) d += " (shown or hidden)";
  return d;
}

Control ButtonControl(const std::string& text) { return Control{"Button", text}; }

Control EditControl(int index) {
  Control c;
  c.cls = "Edit";
  c.index = index;
  return c;
}

Control StaticControl(const std::string& text, Control::Match match) {
  Control c{"Static", text};
  c.match = match;
  return c;
}

Control RichEditControl(int index) {
  Control c;
  c.cls = "RichEdit20W";
  c.index = index;
  return c;
}

}  // namespace automation
