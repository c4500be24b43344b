// Direct access to a text's storage, for wiping secrets out of memory.
#pragma once
#include <string>

// The address of the character at the 1-based position in text's storage, or
// nullptr when the position is outside 1..length (the storage has no such byte).
char* CharPtr(std::string& text, int position);
const char* CharPtr(const std::string& text, int position);

// Overwrites every character of text's storage with a blank, then empties it.
void WipeText(std::string& text);
