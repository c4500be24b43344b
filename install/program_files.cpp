// The destination folder, the distribution's files in it, and the client's
// database seeded from the template when there is none yet.
#include <memory>

#include "common/constants.h"
#include "distribution/file_list.h"
#include "distribution/file_source.h"
#include "distribution/payload_reader.h"
#include "distribution/source_digest.h"
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

// A file that appeared since the journal named the target, or a folder that
// stands there, is another program's or the user's: the roll-back keeps it.
bool Installer::OpenedNew(const FileSink& sink, const std::string& target) {
  if (!sink.Opened() && (FileExists(target) || DirectoryExists(target)))
    journal_.NotCreated(target);
  return sink.Opened();
}

// Each entry's bytes are checked against its SHA-256 as they are unpacked.
DistStatus Installer::PlaceEntry(int entry, const std::string& target) {
  PayloadReader* payload = CarriedPayload(plan_.program);
  if (!payload) return DistStatus::Damaged("no payload");
  if (!PrepareTarget(target)) return DistStatus::Fail(DistError::kWriteFailed, target);
  FileSink sink(target);
  if (!OpenedNew(sink, target)) return DistStatus::Fail(DistError::kWriteFailed, target);
  DistStatus status = payload->Extract(static_cast<size_t>(entry), &sink);
  if (!sink.Close() && status.ok()) status = DistStatus::Fail(DistError::kWriteFailed, target);
  return status;
}

// A file of the distribution folder, read once in long pieces: a listed one
// is checked against its SHA-256 on the way.
DistStatus Installer::PlaceStream(const PlannedFile& file, const std::string& target) {
  std::unique_ptr<FileSource> source;
  DistStatus status = FileSource::Open(file.source, source);
  if (!status.ok()) return status;
  if (!PrepareTarget(target)) return DistStatus::Fail(DistError::kWriteFailed, target);
  FileSink sink(target);
  if (!OpenedNew(sink, target)) return DistStatus::Fail(DistError::kWriteFailed, target);
  const ListedFile listed{ExtractFileName(file.source), file.size, file.sha256};
  status = file.listed ? CheckListedFile(listed, *source, &sink)
                       : ReadSourceRange(*source, 0, source->Size(), nullptr, &sink);
  if (!sink.Close() && status.ok()) status = DistStatus::Fail(DistError::kWriteFailed, target);
  return status;
}

bool Installer::PlaceContent(const std::string& content, const std::string& target) {
  if (!PrepareTarget(target)) return false;
  FileSink sink(target);
  return OpenedNew(sink, target) && sink.Write(content.data(), content.size()) && sink.Close();
}

bool Installer::PlaceFile(const PlannedFile& file, const std::string& target, std::string* message) {
  if (file.source.empty() && file.entry < 0) {
    if (!PlaceContent(file.content, target)) {
      *message = "System Error: " + LastErrorText() + "File: " + target;
      return false;
    }
  } else {
    const DistStatus status =
        file.entry >= 0 ? PlaceEntry(file.entry, target) : PlaceStream(file, target);
    // Name the file that failed: mostly the target, which could not be written.
    const std::string reason = LastErrorText();
    if (status.error == DistError::kDamaged) {
      damaged_ = true;
      *message = file.entry >= 0
                     ? std::string(kDamagedSetupText) + "\nFile: " + target
                     : DamagedFileText(ExtractFilePath(file.source), ExtractFileName(file.source));
      return false;
    }
    if (!status.ok()) {
      const std::string& source = file.entry >= 0 ? plan_.program : file.source;
      const bool unread = status.error == DistError::kReadFailed;
      *message = "System Error: " + reason + "File: " + (unread ? source : target);
      return false;
    }
  }
  if (SizeOf(target) != file.size) {
    *message = "System Error: the copy is incomplete.\nFile: " + target;
    return false;
  }
  return true;
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
