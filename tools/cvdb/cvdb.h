// cvdb: look into, script and repair a record-store file from the command line.
// The command set is a contract other tools rely on; see Usage().
#pragma once
#include <iosfwd>
#include <string>
#include <vector>

// Exit codes: 0 done, 1 the engine (or a check) failed, 2 usage error.
int RunCvdb(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
            std::ostream& err);
