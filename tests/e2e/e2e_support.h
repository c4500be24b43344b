// Support of the end-to-end tests: where the sample distribution and cvdb.exe
// are, the registry and folders as the tests read them, and a fixture that
// starts each test from a clean slate and leaves one behind.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sys/lines.h"
#include "tests/e2e/session.h"
#include "tests/sys_win/scratch.h"

namespace e2e {

// The sample distribution (no trailing backslash) and the Windows cvdb tool.
std::string DistFolder();
// The one-file setup.exe the build makes beside the distribution folder.
std::string OneFileSetup();
std::string CvdbPath();

// Values under the current user's hive.
void WriteString(const std::string& key, const std::string& name, const std::string& value);
void WriteDword(const std::string& key, const std::string& name, DWORD value);
struct RegValue {
  DWORD type = REG_NONE;  // REG_NONE: missing
  std::string text;       // a REG_DWORD as decimal
};
// text: a string as Windows reads it, in UTF-8; else its ANSI bytes, as the
// client reads them.
RegValue ReadValue(const std::string& key, const std::string& name, bool text = false);
// The value names of the key, sorted.
Lines ValueNames(const std::string& key);

// Sorted names of a folder's entries, subfolders ending in "\" (no trailing
// backslash needed on folder).
Lines Listing(const std::string& folder);
std::string FileContent(const std::string& path);

// The names of the files in the temporary folder matching mask, sorted.
Lines TempFiles(const std::string& mask);

// The security identifier ("S-1-5-...") of the user the tests run as.
std::string UserSid();

// After a complete removal the uninstaller moves itself into %TEMP% and a
// copy of it there deletes the moved file once it has ended. Waits until
// that copy has ended and deleted itself.
void WaitForSelfRemoval();

// What cvdb.exe, run as its own process with these arguments, prints: the
// record store's view of a file, independent of the installer
// ("get FILE KEY..." gives a record's lines, the KEY parts joined by the tool).
Lines Cvdb(const std::vector<std::string>& args);

// Mixmaster as its installer leaves it in folder: its key naming the folder,
// files, and a pool folder with nested folders.
void InstallMixmaster(const std::string& folder);

// This user's install journal, "%LOCALAPPDATA%\Corvaline Setup\install.journal".
std::string JournalPath();
// A record as the journal holds it: its operation, then its fields.
using JournalLine = std::vector<std::string>;
// Writes the journal a stopped setup leaves: its bounds (destination, no
// group, the product's two keys), then records, each with its checksum, then
// torn, the start of a record the stop cut short.
void WriteJournal(const std::string& destination, const std::vector<JournalLine>& records,
                  const std::string& torn = "");
// The folder and the journal a reinstall into destination leaves when it
// stops once it has replaced file there: file holds now, its copy
// file.~cv1 the old bytes. With now equal to old, its roll-back had put the
// copy back, but the journal stayed.
void StoppedReplacing(const std::string& destination, const std::string& file,
                      const std::string& old, const std::string& now);

// A copy of the sample distribution in folder, without its file list, with
// an UninstCV.exe beside its setup.exe: two files for one name.
void CopyDistributionWithTwoUninstallers(const std::string& folder);

// Keeps the session clean: no client or Mixmaster key, no program group and
// no install journal before and after each test; a scratch folder holds what
// the test makes.
class E2ETest : public ::testing::Test {
 protected:
  E2ETest();
  ~E2ETest() override;

  ScratchDir scratch{"e2e"};
};

}  // namespace e2e
