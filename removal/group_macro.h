// The command that asks the shell's Program Manager to delete the program
// group: [DeleteGroup("name")].
#pragma once
#include <string>

// Empty when the name cannot be handed over safely: empty, only dots and
// blanks, or holding a quote, a bracket, a control character or another
// character no folder name may hold. Inside the command such a name would end
// the quotes and run commands of its own; the shell would delete whatever
// folder it leads to.
std::string DeleteGroupMacro(const std::string& group);
