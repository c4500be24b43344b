// Letter case of UTF-8 text: paths, file names, switches. The ANSI case rules
// (sys/ansi.h) take each byte for a letter and would break a multi-byte
// letter apart; these take the letters whole. On Windows every letter the
// system knows is converted; the native build (tests and tools) converts
// ASCII letters only.
#pragma once
#include <string>

std::string Utf8LowerCase(const std::string& text);
std::string Utf8UpperCase(const std::string& text);
// Equal ignoring case, letter by letter.
bool Utf8SameText(const std::string& a, const std::string& b);
