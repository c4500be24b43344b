// Today's date on this machine's clock.
#pragma once
#include <string>

// yyyymmdd, as Settings > Apps reads an entry's InstallDate.
std::string LocalDateYyyymmdd();
