#include "removal/setup_files.h"

#include "common/constants.h"
#include "common/install_record_file.h"
#include "distribution/file_list.h"
#include "sys/file_identity.h"
#include "sys/path.h"
#include "sys/utf8_case.h"

namespace {

// What every earlier setup placed: the distribution's files, its list, and
// setup.exe as the uninstaller.
bool IsEarlierSetupsName(const std::string& name) {
  for (const std::string& ours :
       {ClientExeFile, ChangeFileExt(ClientExeFile, IniExt), std::string("License.txt"),
        std::string("ReadMe.txt"), QuickStartFile, std::string(kFileListName), UninstallerFile})
    if (Utf8SameText(name, ours)) return true;
  return false;
}

Owner ByBytes(const std::string& path, const RecordedFile& recorded) {
  uint64_t size = 0;
  // The size first: a file the user changed mostly differs in it.
  if (FileSizeOf(path, &size) && size != recorded.size) return Owner::User;
  RecordedFile now;
  if (!DescribeFile(path, recorded.name, &now)) return Owner::Unknown;
  return now.size == recorded.size && now.sha256 == recorded.sha256 ? Owner::Setup : Owner::User;
}

}  // namespace

Owner OwnerOf(const std::string& dir, const std::string& dirPlace, const NamedEntry& entry,
              const InstallRecord* record) {
  if (entry.attributes & (kDirectoryAttr | kReparsePointAttr)) return Owner::User;
  const std::string path = dir + entry.name;
  const std::string reached = PlaceOf(path);
  if (reached.empty()) return Owner::Unknown;
  if (!LiesDirectlyIn(path, dirPlace)) return Owner::User;
  if (!record) return IsEarlierSetupsName(entry.name) ? Owner::Setup : Owner::User;
  if (Utf8SameText(entry.name, kInstallRecordName)) return Owner::Setup;
  const RecordedFile* recorded = FindRecordedFile(*record, entry.name);
  return recorded ? ByBytes(path, *recorded) : Owner::User;
}

bool GoesLast(const std::string& name) {
  return Utf8SameText(name, UninstallerFile) || Utf8SameText(name, kInstallRecordName);
}
