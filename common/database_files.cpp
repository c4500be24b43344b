#include "common/database_files.h"

#include "common/constants.h"
#include "sys/path.h"
#include "sys/utf8_case.h"

std::string NameAsTheSystemReadsIt(const std::string& name) {
  const size_t end = name.find_last_not_of(". ");
  return Utf8LowerCase(end == std::string::npos ? std::string() : name.substr(0, end + 1));
}

bool IsUserDatabaseFile(const std::string& name) {
  const std::string read = NameAsTheSystemReadsIt(name);
  const std::string base = ChangeFileExt(ClientExeFile, "");
  for (const std::string& ext : {DatabaseExt, EncryptedExt, EncryptedExt + BackupExt})
    if (read == Utf8LowerCase(base + ext)) return true;
  return false;
}
