// What setup installs is the folder it runs from: it must hold the client and
// its template database, or there is nothing worth installing.
#include "common/constants.h"
#include "setup/SetupDlg.h"
#include "sys/file_access.h"
#include "sys/path.h"

bool TSetupForm::CheckDistribution() {
  std::string missing;
  for (const std::string& name : {ClientExeName, TemplateName}) {
    if (CanReadFile(AddBackslash(SourceDir) + name)) continue;
    missing += (missing.empty() ? "" : " and ") + name;
  }
  if (missing.empty()) return true;
  ui::MsgBox(Handle(),
             "The folder\n" + StripBackslash(SourceDir) + "\ndoes not hold a complete " +
                 ProductName + " distribution: " + missing + " cannot be read there.\n\n" +
                 "Nothing was installed.",
             "Setup Error", MB_OK);
  return false;
}
