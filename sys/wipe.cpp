#include "sys/wipe.h"

char* CharPtr(std::string& text, int position) {
  if (position < 1 || static_cast<size_t>(position) > text.size()) return nullptr;
  return &text[static_cast<size_t>(position) - 1];
}

const char* CharPtr(const std::string& text, int position) {
  if (position < 1 || static_cast<size_t>(position) > text.size()) return nullptr;
  return &text[static_cast<size_t>(position) - 1];
}

void WipeText(std::string& text) {
  // Through a volatile pointer: the stores must not be optimised away just
  // because the text is emptied right after.
  volatile char* p = text.empty() ? nullptr : CharPtr(text, 1);
  for (size_t i = 0; i < text.size(); ++i) p[i] = ' ';
  text.clear();
}
