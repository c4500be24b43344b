#include "app/database_files.h"

#include "app/constants.h"
#include "db/format.h"
#include "sys/ansi.h"
#include "sys/path.h"

std::string NameAsTheSystemReadsIt(const std::string& name) {
  const size_t end = name.find_last_not_of(". ");
  return AnsiLowerCase(end == std::string::npos ? std::string() : name.substr(0, end + 1));
}

bool IsUserDatabaseFile(const std::string& name) {
  const std::string read = NameAsTheSystemReadsIt(name);
  const std::string base = ChangeFileExt(ClientExeFile, "");
  // The journal of a write that stopped half-way holds the database's old bytes.
  for (const std::string& ext : {DatabaseExt, DatabaseExt + dbformat::kJournalSuffix, EncryptedExt,
                                 EncryptedExt + BackupExt})
    if (read == AnsiLowerCase(base + ext)) return true;
  return false;
}
