#include "common/stored_folder.h"

#include "sys/code_page.h"
#include "sys/files.h"

std::string StoredFolder(const Registry& key, const std::string& name) {
  const std::string folder = Utf8FromAnsi(key.ReadStringOrEmpty(name));
  const std::string real = folder.empty() ? folder : LongPathName(folder);
  return real.empty() ? folder : real;
}
