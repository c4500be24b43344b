#include "install/distribution.h"

#include "common/constants.h"
#include "sys/file_access.h"
#include "sys/files.h"
#include "sys/path.h"
#include "sys/utf8_case.h"

namespace {

std::string TargetName(const std::string& name) {
  return Utf8LowerCase(name) == "setup.exe" ? UninstallerFile : name;
}

std::string Incomplete(const std::string& source, const std::string& missing) {
  return "The folder\n" + StripBackslash(source) + "\ndoes not hold a complete " + ProductName +
         " distribution: " + missing + " cannot be read there.\n\nNothing was installed.";
}

}  // namespace

bool ListDistribution(const std::string& source, std::vector<PlannedFile>* files, std::string* problem) {
  files->clear();
  const std::string dir = AddBackslash(source);
  std::string missing;
  for (const std::string& name : {ClientExeFile, ChangeFileExt(ClientExeFile, IniExt)}) {
    if (CanReadFile(dir + name)) continue;
    missing += (missing.empty() ? "" : " and ") + name;
  }
  if (!missing.empty()) {
    *problem = Incomplete(source, missing);
    return false;
  }
  Lines entries;
  ListFiles(&entries, dir + "*.*", kAnyFileAttr);
  for (const std::string& entry : entries) {
    uint64_t size = 0;
    if (DirectoryExists(entry) || !FileSizeOf(entry, &size)) continue;
    files->push_back({entry, TargetName(ExtractFileName(entry)), size});
  }
  return true;
}
