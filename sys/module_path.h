// The running program's own full file name, as the system reports it (not the
// text typed on the command line).
#pragma once
#include <string>

std::string ModuleFileName();
