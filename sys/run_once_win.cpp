#include "sys/registry.h"

namespace {
const char kRunOnceKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
}  // namespace

bool RegistryKeyExists(const std::string& key) {
  Registry registry(HKEY_CURRENT_USER);
  return registry.KeyExists(key);
}

bool AddRunOnce(const std::string& name, const std::string& command) {
  Registry registry(HKEY_LOCAL_MACHINE);
  registry.SetWriteThrough(true);
  if (!registry.OpenKey(kRunOnceKey, false)) {
    registry.SetRootKey(HKEY_CURRENT_USER);
    if (!registry.OpenKey(kRunOnceKey, false)) return false;
  }
  // A write that failed is not reported as written.
  bool written = registry.WriteText(name, command);
  registry.CloseKey();
  return written;
}
