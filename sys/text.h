// Text chores shared by every module. Texts are 8-bit strings in the Windows
// ANSI code page; nothing here looks at bytes above 0x7F.
#pragma once
#include <string>

// Removes leading and trailing blanks and control characters (bytes 0x00-0x20).
std::string Trim(const std::string& s);
std::string TrimLeft(const std::string& s);
std::string TrimRight(const std::string& s);

// The index-th non-empty field of text between occurrences of delimiter
// (counting from 0), or def when there are fewer fields or index is negative.
std::string GetToken(int index, const std::string& text, const std::string& delimiter,
                     const std::string& def);

// Every occurrence of from replaced by to, scanning left to right.
std::string ReplaceAll(std::string s, const std::string& from, const std::string& to);

// Every occurrence of the byte c removed.
std::string RemoveChar(std::string s, char c);

// A message's text on one line: each run of line breaks becomes one blank.
std::string OneLine(const std::string& text);
