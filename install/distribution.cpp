#include "install/distribution.h"

#include <memory>

#include "common/constants.h"
#include "common/install_journal.h"
#include "db/FileMan1.h"
#include "distribution/file_list.h"
#include "distribution/file_source.h"
#include "distribution/payload_reader.h"
#include "install/file_sink.h"
#include "sys/exception.h"
#include "sys/code_page.h"
#include "sys/file_access.h"
#include "sys/files.h"
#include "sys/path.h"
#include "sys/utf8_case.h"

const char kDamagedSetupText[] = "The setup file is damaged. Please download it again.";

namespace {

const std::string kTemplate = ChangeFileExt(ClientExeFile, IniExt);

std::string TargetName(const std::string& name) {
  return Utf8LowerCase(name) == "setup.exe" ? UninstallerFile : name;
}

Distribution& Refused(Distribution& d, const std::string& message) {
  d.problem = PlanProblem::Distribution;
  d.message = message;
  d.files.clear();
  return d;
}

std::string NotComplete(const std::string& folder, const std::string& what) {
  return "The folder\n" + StripBackslash(folder) + "\ndoes not hold a complete " + ProductName +
         " distribution: " + what + ".";
}

std::string Incomplete(const std::string& folder, const std::string& what) {
  return NotComplete(folder, what) + "\n\nNothing was installed.";
}

std::string VersionIn(const std::string& templatePath) {
  try {
    return Utf8FromAnsi(GetInitValue("Version", "", templatePath));
  } catch (const EFOpenError&) {
    return std::string();
  }
}

// Without a list: every plain file, as long as the client and its template are there.
Distribution& OpenFolder(Distribution& d, const std::string& dir) {
  std::string missing;
  for (const std::string& name : {ClientExeFile, kTemplate})
    if (!CanReadFile(dir + name)) missing += (missing.empty() ? "" : " and ") + name;
  if (!missing.empty()) return Refused(d, Incomplete(dir, missing + " cannot be read there"));
  Lines entries;
  ListFiles(&entries, dir + "*.*", kAnyFileAttr);
  for (const std::string& entry : entries) {
    uint64_t size = 0;
    if (DirectoryExists(entry) || !FileSizeOf(entry, &size)) continue;
    d.files.push_back({entry, TargetName(ExtractFileName(entry)), size});
  }
  d.version = VersionIn(dir + kTemplate);
  return d;
}

// With a list: exactly the listed files, each of the listed size; their bytes
// are checked against the list as they are copied.
Distribution& OpenListedFolder(Distribution& d, const std::string& dir, const std::string& listText) {
  FileList list;
  const DistStatus parsed = ParseFileList(listText, list);
  if (!parsed.ok()) return Refused(d, Incomplete(dir, "its file list cannot be read (" + parsed.reason + ")"));
  for (const std::string& name : {ClientExeFile, kTemplate})
    if (!FindListedFile(list, name)) return Refused(d, Incomplete(dir, "its file list names no " + name));
  for (const ListedFile& listed : list) {
    const std::string path = dir + listed.name;
    uint64_t size = 0;
    if (!CanReadFile(path) || !FileSizeOf(path, &size) || size != listed.size)
      return Refused(d, Incomplete(dir, listed.name + " is missing or differs from its file list"));
    PlannedFile file{path, TargetName(listed.name), listed.size};
    file.listed = true;
    file.sha256 = listed.sha256;
    d.files.push_back(file);
  }
  d.files.push_back({dir + kFileListName, kFileListName, listText.size()});
  d.version = VersionIn(dir + kTemplate);
  return d;
}

// The template carried in the payload, unpacked aside for its version.
std::string PayloadVersion(PayloadReader& reader) {
  const std::vector<PayloadEntry>& entries = reader.Entries();
  size_t entry = 0;
  while (entry < entries.size() && !Utf8SameText(entries[entry].file.name, kTemplate)) ++entry;
  if (entry == entries.size()) return std::string();
  const std::string aside = InstallJournal::AsideName(TempDir() + "~cvversion.ini");
  std::string version;
  {
    FileSink sink(aside);
    if (sink.Opened() && reader.Extract(entry, &sink).ok() && sink.Close())
      version = VersionIn(aside);
  }
  RemoveFile(aside);
  return version;
}

// The payload carries every file, setup.exe too (the plain program: the
// uninstaller); its directory is the list of what is installed.
Distribution& OpenPayload(Distribution& d, PayloadReader& reader, const std::string& version) {
  d.oneFile = true;
  d.version = version;
  const FileList installed = reader.Listing();
  for (const std::string& name : {ClientExeFile, kTemplate, std::string("setup.exe")})
    if (!FindListedFile(installed, name)) return Refused(d, kDamagedSetupText);
  const std::vector<PayloadEntry>& entries = reader.Entries();
  for (size_t i = 0; i < entries.size(); ++i) {
    PlannedFile file{std::string(), TargetName(entries[i].file.name), entries[i].file.size};
    file.entry = static_cast<int>(i);
    d.files.push_back(file);
  }
  PlannedFile list{std::string(), kFileListName, 0};
  if (!FormatFileList(installed, list.content).ok()) return Refused(d, kDamagedSetupText);
  list.size = list.content.size();
  d.files.push_back(list);
  return d;
}

}  // namespace

std::string DamagedFileText(const std::string& folder, const std::string& name) {
  return NotComplete(folder, name + " differs from its file list");
}

namespace {

// What a program carries, its directory checked once for the run: at start,
// for the wizard's title and for the plan, it is the same file.
struct Carried {
  std::string program;
  CarriedFiles state = CarriedFiles::None;
  std::unique_ptr<FileSource> source;
  PayloadReader reader;
  bool versionRead = false;
  std::string version;
};

Carried& CarriedBy(const std::string& program) {
  static Carried carried;
  static bool checked = false;
  if (checked && carried.program == program) return carried;
  checked = true;
  carried = Carried();
  carried.program = program;
  if (!FileSource::Open(program, carried.source).ok()) {
    carried.state = CarriedFiles::Damaged;
    return carried;
  }
  const DistStatus payload = carried.reader.Open(*carried.source);
  carried.state = payload.ok() ? CarriedFiles::Sound
                  : payload.error == DistError::kNoPayload ? CarriedFiles::None
                                                          : CarriedFiles::Damaged;
  return carried;
}

const std::string& CarriedVersion(Carried& carried) {
  if (!carried.versionRead) carried.version = PayloadVersion(carried.reader);
  carried.versionRead = true;
  return carried.version;
}

}  // namespace

CarriedFiles FilesCarriedBy(const std::string& program) { return CarriedBy(program).state; }

void ReleaseCarriedFiles() { CarriedBy(std::string()) = Carried(); }

std::string DistributionVersion(const std::string& program, const std::string& folder) {
  if (!program.empty() && CarriedBy(program).state == CarriedFiles::Sound)
    return CarriedVersion(CarriedBy(program));
  return VersionIn(AddBackslash(folder) + kTemplate);
}

PayloadReader* CarriedPayload(const std::string& program) {
  Carried& carried = CarriedBy(program);
  return carried.state == CarriedFiles::Sound ? &carried.reader : nullptr;
}

namespace {

Distribution CheckDistribution(const std::string& program, const std::string& folder) {
  Distribution d;
  if (!program.empty()) {
    Carried& carried = CarriedBy(program);
    if (carried.state == CarriedFiles::Sound)
      return OpenPayload(d, carried.reader, CarriedVersion(carried));
    if (carried.state == CarriedFiles::Damaged) return Refused(d, kDamagedSetupText);
  }
  const std::string dir = AddBackslash(folder);
  std::string listText;
  if (FileExists(dir + kFileListName)) {
    if (!ReadWholeFile(dir + kFileListName, kMaxFileListBytes, &listText))
      return Refused(
          d, Incomplete(dir, std::string(kFileListName) + " cannot be read or is too long"));
    return OpenListedFolder(d, dir, listText);
  }
  return OpenFolder(d, dir);
}

}  // namespace

Distribution OpenDistribution(const std::string& program, const std::string& folder) {
  // A wizard plans twice (before its wait and after): the folder is looked
  // at again only when one of its files has changed since.
  static std::string checkedKey;
  static Distribution checked;
  const std::string key = program + '\n' + folder + '\n' + FolderStamp(folder);
  if (checkedKey.empty() || key != checkedKey) {
    checked = CheckDistribution(program, folder);
    checkedKey = key;
  }
  return checked;
}
