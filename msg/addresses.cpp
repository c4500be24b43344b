// Addresses and lists of items out of header values.
#include <cstring>

#include "msg/header_manager.h"
#include "msg/header_text.h"
#include "sys/text.h"

namespace {
constexpr size_t kMaxDomain = 1024;
// How far past each comma an address list is read.
constexpr size_t kMaxListItem = 1024;

// Tab and quotation marks are not among them: a display name in quotes next
// to the address does not end it, a tab is cut by the final trim only.
bool IsAddressSeparator(char c) {
  return c != '\0' && std::strchr(" ,<>=\n\r", c) != nullptr;
}
}  // namespace

std::string THeaderManager::ExtractAddress(const std::string& text, Lines* lines) {
  View(lines);
  const size_t at = text.find('@');
  if (at == std::string::npos) return std::string();
  size_t start = at;
  while (start > 0 && !IsAddressSeparator(text[start - 1])) --start;
  size_t end = at;
  while (end < text.size() && !IsAddressSeparator(text[end])) ++end;
  return Trim(text.substr(start, end - start));
}

std::string THeaderManager::DomainOf(const std::string& address, Lines* lines) {
  View(lines);
  const size_t at = address.find('@');
  if (at == std::string::npos) return std::string();
  return address.substr(at + 1, kMaxDomain);
}

int THeaderManager::ParseAddressList(Lines& out, const std::string& text, Lines* lines) {
  View(lines);
  std::string rest = text;
  for (;;) {
    // Each round takes the first address of the whole remainder, so an item
    // without one repeats the next item's address, which the lookup drops;
    // a comma inside a quoted display name therefore splits nothing.
    const std::string address = Trim(ExtractAddress(rest));
    if (!address.empty() && IndexOfText(out, address) < 0) out.push_back(address);
    const size_t comma = rest.find(',');
    if (comma == std::string::npos) break;
    rest = rest.substr(comma + 1, kMaxListItem);
  }
  return static_cast<int>(out.size());
}

int THeaderManager::GetRecipients(Lines& out, Lines* lines) {
  View(lines);
  out.clear();
  for (const char* name : {"To: ", "Cc: ", "Bcc: "}) ParseAddressList(out, GetHeaderValue(name));
  return static_cast<int>(out.size());
}

int THeaderManager::SplitHeaderList(const std::string& name, Lines& out, Lines* lines) {
  out.clear();
  std::string value = GetHeaderValue(name, lines);
  if (!value.empty() && value.back() == ',') value.pop_back();
  value = DropBlanks(DropBlanks(RemoveLineBreaks(value), " ,"), ", ");
  for (int n = 0;; ++n) {
    std::string item = GetToken(n, value, ",", "");
    if (item.empty()) break;
    out.push_back(std::move(item));
  }
  return static_cast<int>(out.size());
}

int THeaderManager::GetAttachments(Lines& out, Lines* lines) {
  const Lines& all = View(lines);
  static const std::string kName = "Attachment: ";
  for (const std::string& line : all) {
    if (line.empty()) break;
    if (line.compare(0, kName.size(), kName) == 0) out.push_back(line);
  }
  return static_cast<int>(out.size());
}
