// Finding, reading and removing the fields of the header block.
#include "msg/header_manager.h"
#include "msg/header_text.h"
#include "sys/ansi.h"

namespace {
// The longest value handed out: a runaway folded field cannot grow a caller's text.
constexpr size_t kMaxValue = 1024;
}  // namespace

THeaderManager::THeaderManager(Lines* lines) : lines_(lines) {
  if (lines) line_count_ = static_cast<int>(lines->size());
}

Lines* THeaderManager::SetLines(Lines* lines) {
  lines_ = lines;
  return lines_;
}

const Lines& THeaderManager::View(Lines* lines) {
  static const Lines kNone;
  if (lines) lines_ = lines;
  return lines_ ? *lines_ : kNone;
}

int THeaderManager::FindHeader(const std::string& name, Lines* lines) {
  const Lines& all = View(lines);
  const std::string wanted = AnsiLowerCase(name);
  for (size_t i = 0; i < all.size(); ++i) {
    const std::string prefix = all[i].substr(0, name.size());
    // An empty line ends the header; a field behind it belongs to the body.
    if (prefix.empty()) return -1;
    if (AnsiLowerCase(prefix) == wanted) return static_cast<int>(i);
  }
  return -1;
}

bool THeaderManager::HasHeader(const std::string& name, Lines* lines) {
  return FindHeader(name, lines) >= 0;
}

std::string THeaderManager::GetHeaderField(const std::string& name, Lines* lines) {
  const int found = FindHeader(name, lines);
  if (found < 0) return std::string();
  const Lines& all = View();
  std::string field = all[found];
  for (size_t i = found + 1; i < all.size() && IsContinuation(all[i]); ++i) {
    field += "\r\n";
    field += all[i];
  }
  return field;
}

std::string THeaderManager::GetHeaderValue(const std::string& name, Lines* lines) {
  const std::string field = GetHeaderField(name, lines);
  if (field.size() <= name.size()) return std::string();
  return field.substr(name.size(), kMaxValue);
}

int THeaderManager::DeleteHeader(const std::string& name, Lines* lines) {
  const int found = FindHeader(name, lines);
  if (found < 0) return -1;
  Lines& all = *lines_;
  auto end = all.begin() + found + 1;
  while (end != all.end() && IsContinuation(*end)) ++end;
  all.erase(all.begin() + found, end);
  return found;
}

int THeaderManager::HeaderEnd() {
  const Lines& all = View();
  for (size_t i = 0; i < all.size(); ++i)
    if (all[i].empty()) return static_cast<int>(i);
  return static_cast<int>(all.size());
}

std::string THeaderManager::ExtractFirstField(std::string& field) {
  field.clear();
  if (!lines_ || lines_->empty() || lines_->front().empty()) return field;
  Lines& all = *lines_;
  // Continuation lines without their field, and empty lines right behind
  // them, are dropped.
  size_t first = 0;
  while (first < all.size() && (all[first].empty() || IsContinuation(all[first]))) ++first;
  if (first == all.size()) {
    all.clear();
    return field;
  }
  field = all[first];
  size_t end = first + 1;
  for (; end < all.size() && IsContinuation(all[end]); ++end) {
    field += '\n';
    field += all[end];
  }
  all.erase(all.begin(), all.begin() + end);
  return field;
}

std::string THeaderManager::HeaderNameOf(const std::string& text) {
  const size_t colon = text.find(": ");
  return colon == std::string::npos ? std::string() : text.substr(0, colon + 2);
}
