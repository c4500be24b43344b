// The distribution setup installs: the folder it runs from.
#pragma once
#include <string>
#include <vector>

#include "install/install.h"

// The files to install from source, each with its name in the destination
// (setup.exe becomes the uninstaller). False, with the reason in the user's
// words, when the distribution is incomplete: the client or its template
// database cannot be read.
bool ListDistribution(const std::string& source, std::vector<PlannedFile>* files, std::string* problem);
