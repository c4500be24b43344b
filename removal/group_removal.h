// The removal of the Start-menu group setup made, and of nothing else: a
// group name that leads to a folder of the shell's own (Startup, the Start
// menu, Administrative Tools...) is not ours, and a group the user has put
// other items into keeps them. A shortcut is ours only when the install
// record names it and it still leads where the record says (for an
// installation without a record: one of the five names, leading into the
// client's folder).
#pragma once
#include <string>

#include "common/install_record.h"
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

// name: the registry's "Program Group" ("" when the key is gone); record: the
// install record, nullptr without one; appDir: the client's folder. The
// group is the record's, in the user's Programs folder, and the one name
// gives when both are there. Through the shell's Program Manager when the
// folder holds our shortcuts alone and it answers, else by deleting our
// shortcuts, then the folder when nothing else is in it.
GroupRemoval RemoveProgramGroup(const std::string& name, const InstallRecord* record,
                                const std::string& appDir);
