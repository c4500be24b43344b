// The winget manifest says what the program does: the codes it maps mean what
// the program's codes mean, and its switches are ones the program parses.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

#include "app/switches.h"
#include "common/exit_codes.h"
#include "common/product_url.h"
#include "distribution/sha256.h"

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string ReadManifest(const std::string& name) {
  return ReadFile(std::string(CV_SOURCE_DIR) + "/packaging/winget/" + name);
}

// The value after "key: " on the first line that holds it, from pos on.
std::string ValueOf(const std::string& text, const std::string& key, size_t pos = 0) {
  const size_t at = text.find(key + ": ", pos);
  if (at == std::string::npos) return std::string();
  const size_t start = at + key.size() + 2;
  return text.substr(start, text.find('\n', start) - start);
}

TEST(WingetManifest, MapsEachCodeAsTheProgramMeansIt) {
  const std::string manifest = ReadManifest("Corvaline.Corvaline.installer.yaml");
  ASSERT_FALSE(manifest.empty());
  std::map<int, std::string> mapped;
  for (size_t at = manifest.find("InstallerReturnCode: "); at != std::string::npos;
       at = manifest.find("InstallerReturnCode: ", at + 1))
    mapped[std::stoi(ValueOf(manifest, "InstallerReturnCode", at))] = ValueOf(manifest, "ReturnResponse", at);
  std::map<int, std::string> program;
  for (int code = 0; code <= static_cast<int>(ExitCode::Cancelled); ++code)
    if (const char* response = WingetResponse(static_cast<ExitCode>(code))) program[code] = response;
  EXPECT_EQ(mapped, program);
  // Every failure but 2 and 3 (winget's own "installation failed" says it).
  EXPECT_EQ(program.size(), 9u);
  EXPECT_EQ(program[1], "invalidParameter");
  EXPECT_EQ(program[11], "cancelledByUser");
  EXPECT_EQ(program.count(2) + program.count(3), 0u);
}

TEST(WingetManifest, ItsSwitchesAreTheOnesSetupParses) {
  const std::string manifest = ReadManifest("Corvaline.Corvaline.installer.yaml");
  std::string line = ValueOf(manifest, "Silent") + " " + ValueOf(manifest, "Log") + " " +
                     ValueOf(manifest, "InstallLocation");
  line.replace(line.find("<LOGPATH>"), 9, "C:\\Logs\\corvaline setup.log");
  line.replace(line.find("<INSTALLPATH>"), 13, "C:\\Apps\\Corvaline Mail");
  const Switches s = ParseSwitches(line, Role::Setup);
  EXPECT_TRUE(s.silent);
  EXPECT_EQ(s.log.value_or(""), "C:\\Logs\\corvaline setup.log");
  EXPECT_EQ(s.folder.value_or(""), "C:\\Apps\\Corvaline Mail");
  EXPECT_TRUE(s.unknown.empty());
  // /S shows no progress: no mode may claim it does.
  EXPECT_EQ(manifest.find("ilentWithProgress"), std::string::npos);
  // The entry winget matches is the one setup writes in Settings > Apps.
  EXPECT_EQ(ValueOf(manifest, "ProductCode"), "Corvaline");
  EXPECT_EQ(ValueOf(ReadManifest("Corvaline.Corvaline.locale.en-US.yaml"), "PackageUrl"), CV_PRODUCT_URL);
}

// The copy the build writes for the setup.exe that ships names that file's hash.
TEST(WingetManifest, TheBuildsCopyHoldsTheShippedFilesHash) {
  const std::string build = std::string(CV_SOURCE_DIR) + "/build/win32/";
  const std::string manifest = ReadFile(build + "winget/Corvaline.Corvaline.installer.yaml");
  if (manifest.empty()) GTEST_SKIP() << "no Windows build with its distribution here";
  const std::string url = ValueOf(manifest, "InstallerUrl");
  const std::string installer = ReadFile(build + url.substr(url.rfind('/') + 1));
  ASSERT_FALSE(installer.empty()) << url;
  std::string hash = Sha256Hex(Sha256Of(installer.data(), installer.size()));
  for (char& c : hash) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  EXPECT_EQ(ValueOf(manifest, "InstallerSha256"), "'" + hash + "'");
  // winget orders the version resource's numbers; Settings > Apps shows the text.
  EXPECT_EQ(ValueOf(manifest, "PackageVersion"), CV_FILE_VERSION);
  EXPECT_EQ(ValueOf(manifest, "DisplayVersion"), CV_PRODUCT_VERSION);
  EXPECT_EQ(ValueOf(ReadFile(build + "winget/Corvaline.Corvaline.yaml"), "PackageVersion"),
            ValueOf(manifest, "PackageVersion"));
}

}  // namespace
