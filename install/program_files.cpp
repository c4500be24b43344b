// The destination folder, the distribution's files in it, and the client's
// database seeded from the template when there is none yet.
#include "common/constants.h"
#include "install/earlier_installation.h"
#include "install/installer.h"
#include "sys/error_text.h"
#include "sys/file_access.h"
#include "sys/files.h"
#include "sys/path.h"

namespace {

const char kFolderCreationText[] =
    "Unable to create the destination folder.\n"
    "Please review your entry for errors or\n"
    "illegal characters.";

uint64_t SizeOf(const std::string& path) {
  uint64_t size = 0;
  return FileSizeOf(path, &size) ? size : UINT64_MAX;
}

}  // namespace

StepResult Installer::CopyProgramFiles() {
  if (!MakeFolder(plan_.folder)) return Fail(ProductName + "Folder Creation Error", kFolderCreationText);
  const std::string dir = AddBackslash(plan_.folder);
  for (const PlannedFile& file : plan_.files) {
    const std::string target = dir + file.name;
    if (!PlaceCopy(file.source, target)) {
      const std::string reason = LastErrorText();
      // Name the file that failed: mostly the target, which could not be written.
      const std::string failed = CanReadFile(file.source) ? target : file.source;
      return Fail("Copy Failed", "System Error: " + reason + "File: " + failed);
    }
    if (SizeOf(target) != file.size)
      return Fail("Copy Failed", "System Error: the copy is incomplete.\nFile: " + target);
  }
  // The database is seeded from the template when it is missing, or empty
  // (what a full disk left of an earlier seeding); an encrypted one or one
  // with content is the user's and stays.
  const std::string database = ClientDatabaseIn(plan_.folder);
  const std::string encrypted = ChangeFileExt(database, EncryptedExt);
  const std::string templ = dir + ChangeFileExt(ClientExeFile, IniExt);
  if (!FileExists(templ) || FileExists(encrypted) || (FileExists(database) && SizeOf(database) != 0))
    return StepResult::Done;
  if (!PlaceCopy(templ, database) || SizeOf(database) != SizeOf(templ))
    return Fail("Copy Failed", "System Error: " + LastErrorText() + "File: " + database);
  return StepResult::Done;
}
