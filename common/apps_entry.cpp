#include "common/apps_entry.h"

#include <algorithm>

#include "common/constants.h"
#include "common/product_url.h"
#include "sys/path.h"

std::string AppsEntryKey() {
  return "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + ProductName;
}

SettingValues AppsEntryValues(const std::string& folder, const std::string& version, uint64_t bytes,
                              const std::string& installDate) {
  const std::string dir = AddBackslash(folder);
  const std::string uninstaller = "\"" + dir + UninstallerFile + "\"";
  return {TextValue("DisplayName", ProductName),
          TextValue("DisplayVersion", version),
          TextValue("Publisher", "the " + ProductName + " authors"),
          TextValue("URLInfoAbout", CV_PRODUCT_URL),
          TextValue("HelpLink", CV_PRODUCT_URL),
          TextValue("InstallDate", installDate),
          TextValue("InstallLocation", StripBackslash(folder)),
          TextValue("DisplayIcon", dir + ClientExeFile + ",0"),
          TextValue("UninstallString", uninstaller),
          TextValue("QuietUninstallString", uninstaller + " /S"),
          IntegerValue("NoModify", 1),
          IntegerValue("NoRepair", 1),
          AppsEntrySizeValue(bytes)};
}

SettingValue AppsEntrySizeValue(uint64_t bytes) {
  return IntegerValue("EstimatedSize", static_cast<int>(std::min<uint64_t>((bytes + 1023) / 1024, INT32_MAX)));
}
