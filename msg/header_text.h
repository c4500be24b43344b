// Small text rules shared by the header operations.
#pragma once
#include <string>

// A line that continues the field above it: it starts with a blank or a tab.
inline bool IsContinuation(const std::string& line) {
  return !line.empty() && (line[0] == ' ' || line[0] == '\t');
}

// Deletes the blank of the first occurrence of pair (two characters, one a
// blank) until none is left, so runs of blanks go too: DropBlanks("a  ,b",
// " ,") is "a,b".
std::string DropBlanks(std::string text, const std::string& pair);

// Every carriage return, then every line feed removed.
std::string RemoveLineBreaks(std::string text);
