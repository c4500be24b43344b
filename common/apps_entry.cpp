#include "common/apps_entry.h"

#include <algorithm>
#include <cstdint>

#include "common/constants.h"
#include "sys/folder_size.h"
#include "sys/path.h"
#include "sys/registry.h"

std::string AppsEntryKey() {
  return "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + ProductName;
}

namespace {

int SizeInKib(const std::string& folder) {
  return static_cast<int>(std::min<uint64_t>((FolderFilesSize(folder) + 1023) / 1024, INT32_MAX));
}

}  // namespace

bool WriteAppsEntry(const std::string& folder, const std::string& version) {
  const std::string dir = AddBackslash(folder);
  const std::string uninstaller = "\"" + dir + UninstallerFile + "\"";
  Registry registry;
  bool ok = registry.OpenKey(AppsEntryKey(), true);
  ok = ok && registry.WriteString("DisplayName", ProductName);
  ok = ok && registry.WriteString("DisplayVersion", version);
  ok = ok && registry.WriteString("Publisher", "the " + ProductName + " authors");
  ok = ok && registry.WriteString("InstallLocation", StripBackslash(folder));
  ok = ok && registry.WriteString("DisplayIcon", dir + ClientExeFile + ",0");
  ok = ok && registry.WriteString("UninstallString", uninstaller);
  ok = ok && registry.WriteString("QuietUninstallString", uninstaller + " /S");
  ok = ok && registry.WriteInteger("NoModify", 1);
  ok = ok && registry.WriteInteger("NoRepair", 1);
  ok = ok && registry.WriteInteger("EstimatedSize", SizeInKib(dir));
  return ok;
}

void UpdateAppsEntrySize(const std::string& folder) {
  Registry registry;
  if (registry.OpenKey(AppsEntryKey(), false))
    registry.WriteInteger("EstimatedSize", SizeInKib(folder));
}
