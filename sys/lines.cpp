#include "sys/lines.h"

#include "sys/ansi.h"

std::string LinesToText(const Lines& lines) {
  std::string text;
  for (const std::string& line : lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

Lines TextToLines(const std::string& text) {
  Lines lines;
  size_t end = text.find('\0');
  if (end == std::string::npos) end = text.size();
  size_t pos = 0;
  while (pos < end) {
    size_t stop = pos;
    while (stop < end && text[stop] != '\r' && text[stop] != '\n') ++stop;
    lines.push_back(text.substr(pos, stop - pos));
    if (stop < end && text[stop] == '\r') ++stop;
    if (stop < end && text[stop] == '\n') ++stop;
    pos = stop;
  }
  return lines;
}

int IndexOfText(const Lines& lines, const std::string& s) {
  for (size_t i = 0; i < lines.size(); ++i)
    if (AnsiSameText(lines[i], s)) return static_cast<int>(i);
  return -1;
}
