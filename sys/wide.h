// Text at the system's edge: the program keeps text in UTF-8, the system's
// wide functions take UTF-16. For sys/ and ui/ only; everything above them
// passes UTF-8 and never sees a wide string.
#pragma once
#include <string>

std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& wide);
// The first length units of wide (up to its zero when length is npos).
std::string Narrow(const wchar_t* wide, size_t length = std::string::npos);
