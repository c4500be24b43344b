// How the client's folder and Mixmaster's folder lie to each other, compared
// in their short form in lower case; a folder that cannot be resolved (or a
// component not installed) relates to nothing.
#include "sys/ansi.h"
#include "sys/files.h"
#include "uninstall/UninstDlg.h"

namespace {
std::string Comparable(bool installed, const std::string& folder) {
  return installed ? AnsiLowerCase(ShortPathName(folder)) : std::string();
}
}  // namespace

std::string TUninstWiz::FolderA() const { return Comparable(AppInstalled, AppDir); }

std::string TUninstWiz::FolderM() const { return Comparable(MixInstalled, MixDir); }

bool TUninstWiz::MixInsideApp() const {
  std::string a = FolderA(), m = FolderM();
  return !a.empty() && !m.empty() && m.size() > a.size() && m.compare(0, a.size(), a) == 0;
}

bool TUninstWiz::AppInsideMix() const {
  std::string a = FolderA(), m = FolderM();
  return !a.empty() && !m.empty() && a.size() > m.size() && a.compare(0, m.size(), m) == 0;
}

bool TUninstWiz::SameFolders() const {
  std::string a = FolderA(), m = FolderM();
  return !a.empty() && !m.empty() && a == m;
}

bool TUninstWiz::SeparateFolders() const {
  std::string a = FolderA(), m = FolderM();
  return !a.empty() && !m.empty() && !MixInsideApp() && !AppInsideMix() && a != m;
}
