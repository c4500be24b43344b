// Case rules of the Windows ANSI code page. On Windows they follow the user's
// code page; the native build uses Windows-1252, the code page of the client's
// users. Bytes 0x80 to 0xFF pass through untouched unless the code page maps them.
#pragma once
#include <string>

std::string AnsiLowerCase(std::string s);
std::string AnsiUpperCase(std::string s);
// Case-insensitive equality of the user's locale.
bool AnsiSameText(const std::string& a, const std::string& b);
