// The client's values under its key, and the entry in Settings > Apps.
#include "common/apps_entry.h"
#include "common/constants.h"
#include "install/client_folder.h"
#include "install/installer.h"
#include "sys/code_page.h"
#include "sys/local_date.h"
#include "sys/path.h"

namespace {
const char kRegistryErrorText[] = "Unable to write to Win95 registry!\n\nEntries NOT saved!";
}  // namespace

StepResult Installer::SaveRegistrySettings() {
  // The client reads its values in the code page: the folder in the form it
  // can read, the version as its database gave it.
  std::string folder, appDir, version;
  if (!ClientFolderOf(plan_.folder, &folder) || !AnsiFromUtf8(folder, &appDir) ||
      !AnsiFromUtf8(plan_.version, &version))
    return Fail("Setup Error", UnreadableFolderText(plan_.folder));
  SettingValues client = {StringValue("AppDir", appDir), StringValue("Version", version)};
  if (plan_.group) client.push_back(StringValue("Program Group", ProductName));
  // The client's window defaults are the user's own once it has run.
  if (!plan_.existing) {
    client.push_back(IntegerValue("WindowState", 0));
    client.push_back(StringValue("WindowPos", "-1,-1,565,350"));
  }
  client.push_back(IntegerValue("Update", 1));
  uint64_t bytes = 0;
  for (const PlannedFile& file : plan_.files) bytes += file.size;
  // The entry goes with the client's values, so that the install can be
  // removed from Settings > Apps whatever happens later.
  const SettingValues entry =
      AppsEntryValues(plan_.folder, plan_.version, bytes, LocalDateYyyymmdd());
  if (!WriteValues(ProductRegistryKey, client) || !WriteValues(AppsEntryKey(), entry))
    return Fail("Registry Error", kRegistryErrorText);
  return StepResult::Done;
}
