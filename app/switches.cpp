#include "app/switches.h"

#include <cctype>

#include "sys/text.h"
#include "sys/utf8_case.h"

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

// Where the argument at pos ends: blank-separated, double quotes group.
size_t ArgumentEnd(const std::string& text, size_t pos) {
  bool quoted = false;
  for (; pos < text.size() && (quoted || !IsBlank(text[pos])); ++pos)
    if (text[pos] == '"') quoted = !quoted;
  return pos;
}

size_t SkipBlanks(const std::string& text, size_t pos) {
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
  return pos;
}

std::string Unquoted(const std::string& argument) { return ReplaceAll(argument, "\"", ""); }

// A switch starts at pos: "/" and a letter, perhaps inside quotes.
bool SwitchAt(const std::string& text, size_t pos) {
  if (pos < text.size() && text[pos] == '"') ++pos;
  return pos + 1 < text.size() && text[pos] == '/' &&
         std::isalpha(static_cast<unsigned char>(text[pos + 1])) != 0;
}

// Where the folder of /D= that starts at pos ends: at a blank outside quotes
// that a switch follows, else at the end of the line. No folder name holds
// " /" and a letter (a name does not end in a blank), so a switch written
// after /D= is still a switch.
size_t FolderEnd(const std::string& text, size_t pos, bool quoted) {
  for (; pos < text.size(); ++pos) {
    if (text[pos] == '"') quoted = !quoted;
    if (!quoted && IsBlank(text[pos]) && SwitchAt(text, SkipBlanks(text, pos))) return pos;
  }
  return pos;
}

// The folder of /D=: the rest of the line, without blanks around it and
// without the quotes that may enclose it or the whole switch.
std::string RestOfLine(const std::string& rest, bool switchQuoted) {
  std::string folder = Trim(rest);
  if (folder.size() >= 2 && folder.front() == '"' && folder.back() == '"')
    return folder.substr(1, folder.size() - 2);
  if (switchQuoted && !folder.empty() && folder.back() == '"') folder.pop_back();
  return folder;
}

}  // namespace

std::string ArgumentsAfter(const std::string& commandLine, int count) {
  size_t pos = SkipBlanks(commandLine, 0);
  for (int i = 0; i < count && pos < commandLine.size(); ++i)
    pos = SkipBlanks(commandLine, ArgumentEnd(commandLine, pos));
  return commandLine.substr(pos);
}

Switches ParseSwitches(const std::string& arguments, Role role) {
  Switches s;
  const bool setup = role == Role::Setup;
  for (size_t pos = SkipBlanks(arguments, 0); pos < arguments.size();) {
    const bool quoted = arguments[pos] == '"';
    const size_t start = quoted ? pos + 1 : pos;
    if (setup && Utf8UpperCase(arguments.substr(start, 3)) == "/D=") {
      const size_t end = FolderEnd(arguments, start + 3, quoted);
      s.folder = RestOfLine(arguments.substr(start + 3, end - start - 3), quoted);
      pos = SkipBlanks(arguments, end);
      continue;
    }
    const size_t end = ArgumentEnd(arguments, pos);
    const std::string argument = Unquoted(arguments.substr(pos, end - pos));
    pos = SkipBlanks(arguments, end);
    const size_t eq = argument.find('=');
    const std::string name = Utf8UpperCase(argument.substr(0, eq));
    const std::string value = eq == std::string::npos ? std::string() : argument.substr(eq + 1);
    const bool flag = eq == std::string::npos;
    if (name == "/S" && flag) {
      s.silent = true;
    } else if (name == "/LOG" && !value.empty()) {
      s.log = value;
    } else if (setup && name == "/NOGROUP" && flag) {
      s.noGroup = true;
    } else if (setup && name == "/ALLOWDOWNGRADE" && flag) {
      s.allowDowngrade = true;
    } else if (setup && name == "/ADDRESS" && !flag) {
      s.address = value;
    } else if (setup && name == "/HOST" && !flag) {
      s.host = value;
    } else {
      s.unknown.push_back(argument);
    }
  }
  return s;
}
