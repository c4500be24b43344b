#include "distribution/file_name.h"

#include <cstring>

#include "sys/ansi.h"

bool IsDeviceName(const std::string& name) {
  std::string base = AnsiUpperCase(name.substr(0, name.find('.')));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"})
    if (base == device) return true;
  return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
         base[3] >= '1' && base[3] <= '9';
}

std::string FileNameFault(const std::string& name) {
  if (name.empty()) return "an empty name";
  if (name.size() > kMaxFileNameLength) return "a name over 255 characters";
  for (unsigned char c : name) {
    if (c == '\\' || c == '/') return "a path separator";
    if (c == ':') return "a drive or stream";
    if (c < 0x20 || std::strchr("*?\"<>|", c)) return "a character Windows refuses in names";
  }
  if (name == "." || name == "..") return "a folder's name (\".\" or \"..\")";
  if (name.back() == '.' || name.back() == ' ') return "a trailing dot or blank";
  if (IsDeviceName(name)) return "a device name";
  return std::string();
}

std::string FoldedFileName(const std::string& name) { return AnsiLowerCase(name); }
