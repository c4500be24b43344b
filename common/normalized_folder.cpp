#include "common/normalized_folder.h"

#include "sys/files.h"
#include "sys/path.h"
#include "sys/utf8_case.h"

std::string NormalizedFolder(const std::string& folder) {
  return StripBackslash(Utf8LowerCase(ShortPathName(folder)));
}

bool SameFolder(const std::string& a, const std::string& b) {
  std::string na = NormalizedFolder(a);
  return !na.empty() && na == NormalizedFolder(b);
}
