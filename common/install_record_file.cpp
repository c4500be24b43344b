#include "common/install_record_file.h"

#include "sys/files.h"
#include "sys/path.h"

RecordFound ReadInstallRecordIn(const std::string& folder, InstallRecord* record,
                                std::string* reason) {
  *record = InstallRecord();
  std::string why;
  const std::string path = AddBackslash(folder) + kInstallRecordName;
  if (folder.empty() || (!FileExists(path) && !DirectoryExists(path))) return RecordFound::None;
  std::string bytes;
  if (!ReadWholeFile(path, kMaxInstallRecordBytes, &bytes))
    why = "it cannot be read, or is too long";
  else if (ParseInstallRecord(bytes, record, &why))
    return RecordFound::Sound;
  if (reason) *reason = why;
  return RecordFound::Unreadable;
}

bool DescribeFile(const std::string& path, const std::string& name, RecordedFile* file) {
  Sha256 hash;
  uint64_t size = 0;
  // A file another program holds is not waited for: its owner cannot be told now.
  if (!ReadFilePieces(path, [&](const char* data, size_t count) {
        hash.Update(data, count);
        size += count;
        return true;
      }))
    return false;
  file->name = name;
  file->size = size;
  file->sha256 = hash.Final();
  return true;
}

bool MatchesRecord(const std::string& path, const RecordedFile& recorded) {
  uint64_t size = 0;
  RecordedFile now;
  // The size first: a file the user changed mostly differs in it.
  return FileSizeOf(path, &size) && size == recorded.size &&
         DescribeFile(path, recorded.name, &now) && now.sha256 == recorded.sha256;
}
