#include "ui/captions.h"

namespace ui {

namespace {

std::string Escaped(const std::string& text) {
  std::string shown;
  for (char c : text) {
    if (c == '&') shown += '&';
    shown += c;
  }
  return shown;
}

}  // namespace

Captions::Captions(const char* layoutText) {
  const std::string all = layoutText ? layoutText : "";
  size_t start = 0;
  while (start <= all.size()) {
    size_t bar = all.find('|', start);
    if (bar == std::string::npos) bar = all.size();
    marked_.push_back(all.substr(start, bar - start));
    start = bar + 1;
  }
}

std::string Captions::Initial() const { return marked_.front(); }

std::string Captions::Shown(const std::string& text) const {
  const std::string* best = nullptr;
  size_t bestLength = 0;
  for (const std::string& marked : marked_) {
    const std::string readable = ReadableText(marked);
    if (!readable.empty() && readable.size() > bestLength && text.compare(0, readable.size(), readable) == 0) {
      best = &marked;
      bestLength = readable.size();
    }
  }
  return best ? *best + Escaped(text.substr(bestLength)) : Escaped(text);
}

std::string ReadableText(const std::string& shown) {
  std::string readable;
  for (size_t i = 0; i < shown.size(); ++i) {
    if (shown[i] == '&' && i + 1 < shown.size()) ++i;
    readable += shown[i];
  }
  return readable;
}

}  // namespace ui
