#pragma once
#include <string>

// The system's short form of folder, in lower case, without one trailing
// backslash; empty when the system cannot resolve it (a folder not made yet).
std::string NormalizedFolder(const std::string& folder);

// Whether a and b name the same existing folder, however each is spelled.
// Two folders the system cannot resolve are not the same folder.
bool SameFolder(const std::string& a, const std::string& b);
