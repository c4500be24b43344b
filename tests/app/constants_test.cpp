// The entries of the shared constants table that are computed at start-up:
// they follow the running program's own path, as Windows paths (a folder
// ends at the last backslash or colon; an extension starts at the last dot of
// the file name).
#include <gtest/gtest.h>

#include "common/constants.h"
#include "sys/ansi.h"
#include "sys/module_path.h"

namespace {

TEST(Constants, ComputedFromTheProgramsPath) {
  const std::string upper = AnsiUpperCase(ModuleFileName());
  const size_t name = upper.find_last_of("\\:") + 1;  // 0 without a folder
  const size_t dot = upper.rfind('.');
  const std::string stem = dot == std::string::npos || dot < name ? upper : upper.substr(0, dot);
  EXPECT_EQ(ProgramPathUpper, upper);
  EXPECT_EQ(ProgramDirLower, AnsiLowerCase(upper.substr(0, name)));
  EXPECT_EQ(ProgramDatabaseFile, stem + ".dbc");
  EXPECT_EQ(ProgramDpcFile, stem + ".dpc");
  EXPECT_EQ(ProgramIniFile, stem + ".ini");
  EXPECT_EQ(ProgramEncryptedFile, stem + ".pgp");
  EXPECT_EQ(ProgramEncryptedBackup, stem + ".pgp.bak");  // appended, not replaced
  EXPECT_EQ(ProgramEncryptedTemp, stem + ".pgp.tmp");
  EXPECT_EQ(UninstallerFile, "UninstCV.exe");
  EXPECT_EQ(ProductRegistryKey, "Software\\Corvaline");
}

}  // namespace
