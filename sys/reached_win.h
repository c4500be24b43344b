// Inside sys/: what an open handle reached, for the checks of direct_file.h.
#pragma once
#include <windows.h>

#include <cstddef>
#include <string>

// The path the system reached the open file or folder by, in "\\?\" form;
// empty when it does not say.
std::string FinalPathOf(HANDLE file);

// Whether the open file is what path names through its last `parts` names,
// with no link among them and no second name of the file: the path reached
// equals the one reached for the folder `parts` names up, followed by them.
bool ReachedAsNamed(HANDLE file, const std::string& path, size_t parts);
