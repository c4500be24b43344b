// The user's database files beside the client: cv.dbc, cv.pgp and cv.pgp.bak.
// Setup never overwrites them and the removal never deletes them. Names are
// compared as the system reads them: in any letter case, trailing dots and
// blanks dropped, so that "CV.dbc." left by a Linux tool is taken for the
// database it would open as.
#pragma once
#include <string>

bool IsUserDatabaseFile(const std::string& name);

// The name as the system reads it: trailing dots and blanks dropped, lower case.
std::string NameAsTheSystemReadsIt(const std::string& name);
