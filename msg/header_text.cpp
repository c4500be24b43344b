#include "msg/header_text.h"

#include "sys/text.h"

std::string DropBlanks(std::string text, const std::string& pair) {
  const size_t blank = pair.find(' ');
  if (pair.size() != 2 || blank == std::string::npos) return text;
  size_t from = 0;
  size_t hit;
  while ((hit = text.find(pair, from)) != std::string::npos) {
    text.erase(hit + blank, 1);
    // Only the two characters the deletion joined can form a new pair.
    from = hit > 0 ? hit - 1 : 0;
  }
  return text;
}

std::string RemoveLineBreaks(std::string text) {
  return RemoveChar(RemoveChar(std::move(text), '\r'), '\n');
}
