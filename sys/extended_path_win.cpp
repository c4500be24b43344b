#include "sys/extended_path.h"

#include "sys/files.h"
#include "sys/path.h"

namespace {

const char kExtended[] = "\\\\?\\";
const char kDevice[] = "\\\\.\\";
const char kUnc[] = "\\\\?\\UNC\\";

bool StartsWith(const std::string& text, const char* prefix) {
  return text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

bool IsUnc(const std::string& path) {
  return path.size() >= 8 && (path[4] | 0x20) == 'u' && (path[5] | 0x20) == 'n' &&
         (path[6] | 0x20) == 'c' && path[7] == '\\';
}

// Where the part below the root starts: after "\\?\C:\", after
// "\\?\UNC\srv\share\", after "\\?\Volume{...}\"; npos when nothing follows.
size_t BelowRoot(const std::string& path) {
  size_t pos = IsUnc(path) ? 8 : 4;
  const int rootParts = IsUnc(path) ? 2 : 1;
  for (int i = 0; i < rootParts; ++i) {
    pos = path.find('\\', pos);
    if (pos == std::string::npos) return std::string::npos;
    ++pos;
  }
  return pos < path.size() ? pos : std::string::npos;
}

}  // namespace

std::string ExtendedFolderPath(const std::string& folder) {
  if (folder.empty()) return std::string();
  if (StartsWith(folder, kExtended)) return AddBackslash(folder);
  const std::string full = FullPathName(folder);
  if (full.empty()) return std::string();
  if (StartsWith(full, kDevice)) return AddBackslash(kExtended + full.substr(4));
  if (full.size() > 2 && full[0] == '\\' && full[1] == '\\')
    return AddBackslash(kUnc + full.substr(2));
  return AddBackslash(kExtended + full);
}

std::string UsualPath(const std::string& path) {
  if (!StartsWith(path, kExtended)) return path;
  return IsUnc(path) ? "\\\\" + path.substr(8) : path.substr(4);
}

bool IsExtendedRoot(const std::string& path) {
  return StartsWith(path, kExtended) && BelowRoot(path) == std::string::npos;
}

std::string ExtendedParent(const std::string& path) {
  const std::string p = StripBackslash(path);
  const size_t below = BelowRoot(p);
  if (!StartsWith(p, kExtended) || below == std::string::npos) return std::string();
  const size_t slash = p.rfind('\\');
  // The root keeps its backslash: "\\?\C:\", not "\\?\C:".
  return slash + 1 == below ? p.substr(0, slash + 1) : p.substr(0, slash);
}
