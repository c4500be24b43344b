#include "common/program_group.h"

#include "common/constants.h"
#include "sys/known_folders.h"
#include "sys/path.h"

const std::vector<GroupLink>& GroupLinks() {
  static const std::vector<GroupLink> links = {
      {"License.txt", "License.LNK", "License"},
      {ClientExeFile, ProductName + ".LNK", ProductName},
      {UninstallerFile, "Uninstall " + ChangeFileExt(ClientExeFile, "") + ".LNK", "Uninstall " + ProductName},
      {"QuickStart.rtf", "QuickStart.LNK", "Quick Start"},
      {"ReadMe.txt", "ReadMe.LNK", "Read Me"},
  };
  return links;
}

std::string GroupFolderOf(const std::string& name) {
  const std::string programs = KnownFolderPath(KnownFolder::Programs);
  return programs.empty() || name.empty() ? std::string() : AddBackslash(programs) + name;
}
