#include "app/role.h"

#include "common/product.h"
#include "sys/path.h"
#include "sys/utf8_case.h"

namespace {

bool NamedForSetup(const std::string& moduleFileName, bool carriesPayload) {
  const std::string name = Utf8LowerCase(ExtractFileName(moduleFileName));
  return name == "setup.exe" || (carriesPayload && name != Utf8LowerCase(UninstallerFile));
}

}  // namespace

Role SelectRole(const std::string& moduleFileName, const std::string& firstArgument, bool carriesPayload) {
  if (!NamedForSetup(moduleFileName, carriesPayload)) return Role::Uninstall;
  return Utf8LowerCase(firstArgument) == "-u" ? Role::Uninstall : Role::Setup;
}

int RoleArgumentCount(const std::string& moduleFileName, const std::string& firstArgument, bool carriesPayload) {
  return NamedForSetup(moduleFileName, carriesPayload) && Utf8LowerCase(firstArgument) == "-u" ? 2 : 1;
}

std::string CommandLineArgument(const std::string& commandLine, int index) {
  size_t pos = 0;
  const size_t n = commandLine.size();
  for (int i = 0;; ++i) {
    while (pos < n && static_cast<unsigned char>(commandLine[pos]) <= ' ') ++pos;
    if (pos >= n) return std::string();
    std::string arg;
    bool quoted = false;
    while (pos < n && (quoted || static_cast<unsigned char>(commandLine[pos]) > ' ')) {
      if (commandLine[pos] == '"')
        quoted = !quoted;
      else
        arg += commandLine[pos];
      ++pos;
    }
    if (i == index) return arg;
  }
}
