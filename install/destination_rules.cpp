#include "install/destination_rules.h"

#include <cctype>

#include "distribution/file_name.h"
#include "sys/path.h"

namespace {

bool IsBadCharacter(unsigned char c) {
  return c < 0x20 || c == '<' || c == '>' || c == ':' || c == '"' || c == '/' || c == '|' ||
         c == '?' || c == '*';
}

// The longest name a folder of NTFS or FAT may have, in UTF-16 units.
constexpr size_t kLongestName = 255;

// UTF-16 units of UTF-8 text: one per letter, two for one beyond U+FFFF.
size_t Utf16Length(const std::string& utf8) {
  size_t n = 0;
  for (unsigned char c : utf8) n += ((c & 0xC0) != 0x80) + (c >= 0xF0);
  return n;
}

bool IsUsableComponent(const std::string& c) {
  if (c == "." || c == "..") return true;
  if (c.empty() || Utf16Length(c) > kLongestName || c.back() == '.' || c.back() == ' ') return false;
  for (unsigned char ch : c)
    if (IsBadCharacter(ch)) return false;
  return !IsDeviceName(c);
}

// The part that names the drive or share, which the rules do not apply to.
size_t RootLength(const std::string& path) {
  if (path.size() >= 2 && path[1] == ':') return 2;
  if (path.compare(0, 2, "\\\\") != 0) return 0;
  size_t server = path.find('\\', 2);
  if (server == std::string::npos) return path.size();
  size_t share = path.find('\\', server + 1);
  return share == std::string::npos ? path.size() : share;
}

}  // namespace

NameVerdict JudgeDestinationName(const std::string& path) {
  std::string text = path;
  for (char& c : text)
    if (c == '/') c = '\\';  // the system reads it as a separator
  text = StripBackslash(text);
  if (text.empty()) return NameVerdict::Empty;
  const size_t root = RootLength(text);
  if (root == 2 && !std::isalpha(static_cast<unsigned char>(text[0]))) return NameVerdict::BadName;
  if (text.compare(0, 4, "\\\\?\\") == 0 || text.compare(0, 4, "\\\\.\\") == 0) return NameVerdict::BadName;
  size_t start = root;
  if (start < text.size() && text[start] == '\\') ++start;
  while (start < text.size()) {
    size_t end = text.find('\\', start);
    if (end == std::string::npos) end = text.size();
    if (!IsUsableComponent(text.substr(start, end - start))) return NameVerdict::BadName;
    start = end + 1;
  }
  return NameVerdict::Usable;
}

bool FitsClientPath(size_t folderLength, const std::string& name) {
  return folderLength + 1 + name.size() <= kLongestClientPath;
}
