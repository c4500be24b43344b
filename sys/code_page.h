// Stored text (the database's records, the values under the client's key) is
// in the ANSI code page, which the client reads; the program's own text is
// UTF-8. A text fits the code page only when every character has a byte of
// its own there: no look-alike chosen by best fit ("Ł" is not "L"), no
// default character standing in for a letter.
#pragma once
#include <string>

// The text in the ANSI code page; false (and *ansi empty) when it does not fit.
bool AnsiFromUtf8(const std::string& utf8, std::string* ansi);
bool FitsCodePage(const std::string& utf8);
// ANSI text (a stored value) in UTF-8.
std::string Utf8FromAnsi(const std::string& ansi);
