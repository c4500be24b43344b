// cvpack: the distribution's file list and the one-file setup.exe, made and
// checked at build time. See Usage in cvpack.cpp.
#pragma once
#include <iosfwd>
#include <string>
#include <vector>

// Exit codes: 0 done, 1 refused (a damaged or missing file, a failed write),
// 2 usage error.
int RunCvpack(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
