// Folders of the benchmark drivers under Wine.
#pragma once
#include <string>

namespace bench {

// The user's temporary folder, with a trailing backslash.
std::string TempFolder();
// The full path of a path given on the command line (relative to ours).
std::string FullPath(const std::string& path);

}  // namespace bench
