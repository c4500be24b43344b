// Versions as the template database's "Version" setting gives them ("0.9b0",
// "0.10"): numeric parts compare as numbers, and a letter part (b for beta)
// ranks below the same version without it: 0.8 < 0.9b0 < 0.9 < 0.10.
#pragma once
#include <string>

// Negative, zero or positive as a is older than, the same as or newer than b.
// Letters before the first digit ("v0.9") are not a part. Text that holds no
// digit at all ranks below every version.
int CompareVersions(const std::string& a, const std::string& b);
