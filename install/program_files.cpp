// The destination folder, the distribution's files in it, and the client's
// database seeded from the template when there is none yet.
#include <memory>

#include "common/constants.h"
#include "distribution/file_source.h"
#include "distribution/payload_reader.h"
#include "install/distribution.h"
#include "install/earlier_installation.h"
#include "install/file_sink.h"
#include "install/installer.h"
#include "sys/error_text.h"
#include "sys/file_access.h"
#include "sys/files.h"
#include "sys/path.h"
#include "sys/utf8_case.h"

namespace {

const char kFolderCreationText[] =
    "Unable to create the destination folder.\n"
    "Please review your entry for errors or\n"
    "illegal characters.";

uint64_t SizeOf(const std::string& path) {
  uint64_t size = 0;
  return FileSizeOf(path, &size) ? size : UINT64_MAX;
}

// Room a file takes beyond its bytes: its clusters and the folder's entry.
constexpr uint64_t kFileSlack = 64 * 1024;

}  // namespace

// Rule 18 of docs/install-recovery.md: a full volume is said as such.
StepResult Installer::CopyFailed(const std::string& target, uint64_t size,
                                 const std::string& message) {
  uint64_t free = 0;
  outOfSpace_ = FreeDiskBytes(target, &free) && free < size + kFileSlack;
  return Fail("Copy Failed", message);
}

// Rule 17: the old file is kept as a proven copy, the new one written beside
// it and renamed over it, so that a stop leaves one or the other.
bool Installer::ReplaceFile(const PlannedFile& file, const std::string& target,
                            std::string* message) {
  const auto failed = [&] {
    *message = "System Error: " + LastErrorText() + "File: " + target;
    return false;
  };
  if (!BackUp(target)) return failed();
  const std::string beside = InstallJournal::AsideName(target);
  if (beside.empty()) return failed();
  if (!PlaceFile(file, beside, message)) return false;
  ClearReadOnly(target);
  if (!FlushFileToDisk(beside) || !MoveOneFile(beside, target, true)) return failed();
  created_.insert(Utf8LowerCase(target));
  return true;
}

// A file that appeared since the journal named the target is another
// program's: the roll-back keeps it.
bool Installer::OpenedNew(const FileSink& sink, const std::string& target) {
  if (!sink.Opened() && FileExists(target)) journal_.NotCreated(target);
  return sink.Opened();
}

// Each entry's bytes are checked against its SHA-256 again as they are
// unpacked. damaged: the failure is the setup file's, not the target's.
bool Installer::PlaceEntry(int entry, const std::string& target, bool* damaged) {
  PayloadReader* payload = CarriedPayload(plan_.program);
  *damaged = !payload;
  if (!payload || !PrepareTarget(target)) return false;
  FileSink sink(target);
  if (!OpenedNew(sink, target)) return false;
  const DistStatus unpacked = payload->Extract(static_cast<size_t>(entry), sink);
  *damaged = unpacked.error == DistError::kDamaged || unpacked.error == DistError::kReadFailed;
  return unpacked.ok() && sink.Close();
}

bool Installer::PlaceContent(const std::string& content, const std::string& target) {
  if (!PrepareTarget(target)) return false;
  FileSink sink(target);
  return OpenedNew(sink, target) && sink.Write(content.data(), content.size()) && sink.Close();
}

bool Installer::PlaceFile(const PlannedFile& file, const std::string& target, std::string* message) {
  bool placed = false;
  if (file.entry >= 0) {
    bool damaged = false;
    placed = PlaceEntry(file.entry, target, &damaged);
    // A target that cannot be made (a folder of that name, a full disk) is
    // the system's to name, as in the folder form.
    if (!placed)
      *message = damaged ? std::string(kDamagedSetupText) + "\nFile: " + target
                         : "System Error: " + LastErrorText() + "File: " + target;
  } else if (file.source.empty()) {
    placed = PlaceContent(file.content, target);
    if (!placed) *message = "System Error: " + LastErrorText() + "File: " + target;
  } else {
    placed = PlaceCopy(file.source, target);
    // Name the file that failed: mostly the target, which could not be written.
    const std::string reason = LastErrorText();
    if (!placed) *message = "System Error: " + reason + "File: " + (CanReadFile(file.source) ? target : file.source);
  }
  if (placed && SizeOf(target) != file.size) {
    *message = "System Error: the copy is incomplete.\nFile: " + target;
    placed = false;
  }
  return placed;
}

StepResult Installer::CopyProgramFiles() {
  if (!MakeFolder(plan_.folder)) return Fail(ProductName + "Folder Creation Error", kFolderCreationText);
  const std::string dir = AddBackslash(plan_.folder);
  std::string message;
  for (const PlannedFile& file : plan_.files) {
    const std::string target = dir + file.name;
    // The uninstaller the Apps entry names is never missing, not even for a moment.
    const bool replace =
        Utf8SameText(file.name, UninstallerFile) && FileExists(target) && !CreatedByThisRun(target);
    if (!(replace ? ReplaceFile(file, target, &message) : PlaceFile(file, target, &message)))
      return CopyFailed(target, file.size, message);
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
    return CopyFailed(database, SizeOf(templ),
                      "System Error: " + LastErrorText() + "File: " + database);
  return StepResult::Done;
}
