// What a first installation by either installer must leave, checked after
// every round so that no numbers are printed for an install that failed.
#pragma once
#include <string>

namespace bench {

// The five files of the distribution, CV.dbc and UninstCV.exe in dest, the
// five shortcuts in the Start-menu group, the client's six values with AppDir
// naming dest. automation::Failure saying what is missing.
void ExpectInstalled(const std::string& dest);

}  // namespace bench
