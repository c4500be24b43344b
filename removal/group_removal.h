// The removal of the Start-menu group setup made, and of nothing else: a
// group name that leads to a folder of the shell's own (Startup, the Start
// menu, Administrative Tools...) is not ours, and a group the user has put
// other items into keeps them.
#pragma once
#include <string>

#include "sys/lines.h"

enum class GroupVerdict {
  Done,     // the group is gone (or was not there)
  Skipped,  // no group, or one that is not ours to remove
  Kept,     // our five shortcuts went; the folder stays with the user's items
  Failed,
};
// The log's word for it: "done", "skipped", "kept (it holds other items)", "failed".
const char* GroupVerdictText(GroupVerdict verdict);

struct GroupRemoval {
  GroupVerdict verdict = GroupVerdict::Done;
  Lines left;  // Failed: what is still there
};

// name: the registry's "Program Group". Through the shell's Program Manager
// when it answers, else by deleting the shortcuts and the folder.
GroupRemoval RemoveProgramGroup(const std::string& name);
