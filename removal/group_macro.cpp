#include "removal/group_macro.h"

#include <cstring>

namespace {

bool IsSafeGroupName(const std::string& name) {
  if (name.find_first_not_of(". ") == std::string::npos) return false;
  for (unsigned char c : name)
    if (c < 0x20 || c == 0x7F || std::strchr("\"[]<>:/\\|?*", c)) return false;
  return true;
}

}  // namespace

std::string DeleteGroupMacro(const std::string& group) {
  return IsSafeGroupName(group) ? "[DeleteGroup(\"" + group + "\")]" : std::string();
}
