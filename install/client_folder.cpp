#include "install/client_folder.h"

#include <vector>

#include "common/product.h"
#include "sys/code_page.h"
#include "sys/file_access.h"
#include "sys/files.h"
#include "sys/path.h"

namespace {

// The most a short name takes, with its backslash: "ABCDEF~1.XYZ".
constexpr size_t kShortNameRoom = 13;
// A probe's name keeps the letters of the name it stands for, not its length.
constexpr size_t kProbeNameBytes = 100;

std::string ProbeNameLike(const std::string& name) {
  size_t end = name.size() < kProbeNameBytes ? name.size() : kProbeNameBytes;
  while (end > 0 && end < name.size() && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80) --end;
  return name.substr(0, end);
}

}  // namespace

bool ClientFolderOf(const std::string& folder, std::string* clientForm) {
  if (FitsCodePage(folder)) {
    *clientForm = folder;
    return true;
  }
  const std::string shortForm = ShortPathName(folder);
  if (shortForm.empty() || !FitsCodePage(shortForm)) return false;
  *clientForm = shortForm;
  return true;
}

bool ClientWillRead(const std::string& folder, size_t* longest) {
  std::string ansi;
  if (AnsiFromUtf8(folder, &ansi)) {
    *longest = ansi.size();
    return true;
  }
  // The nearest folder that is there, and the names still to be made below it.
  std::string existing = StripBackslash(folder);
  std::vector<std::string> missing;
  while (!DirectoryExists(AddBackslash(existing))) {
    const std::string parent = StripBackslash(ExtractFilePath(existing));
    if (parent.empty() || parent == existing) return false;
    missing.push_back(ExtractFileName(existing));
    existing = parent;
  }
  std::string existingForm;
  if (!ClientFolderOf(existing, &existingForm) || !AnsiFromUtf8(existingForm, &ansi)) return false;
  // A short name is never longer than the long one; a new one takes at most
  // the room of an 8.3 name.
  *longest = ansi.size() + missing.size() * kShortNameRoom;
  for (const std::string& name : missing) {
    if (FitsCodePage(name)) continue;
    // One probe tells how the volume names a folder of such letters.
    const std::string shortName = ShortNameOfNewFolder(existing, ProbeNameLike(name));
    return !shortName.empty() && FitsCodePage(shortName);
  }
  return true;
}

std::string UnreadableFolderText(const std::string& folder) {
  return ProductName + " cannot use the folder " + folder +
         ": its name has characters the client cannot read. Choose another folder.";
}
