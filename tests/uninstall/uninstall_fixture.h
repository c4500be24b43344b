// Test support for the uninstall wizard: the two registry keys as setup and
// Mixmaster leave them, message boxes answered and recorded, and small helpers
// over real folders of the test prefix.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "common/install_record.h"
#include "sys/lines.h"
#include "tests/sys_win/held_file.h"
#include "tests/sys_win/scratch.h"
#include "tests/sys_win/linux_link.h"
#include "tests/ui/form_test_support.h"
#include "ui/ui.h"

// The keys the wizard reads, spelt out here rather than taken from the code
// under test.
extern const char kClientKey[];
extern const char kMixKey[];

class UninstallTest : public ::testing::Test {
 protected:
  // Both keys removed, sounds off.
  void SetUp() override;
  void TearDown() override;

  // The client's key as setup writes it.
  void InstallClient(const std::string& appDir, const std::string& group = "Corvaline",
                     const std::string& version = "0.9b0");
  // Mixmaster's key with its folder.
  void InstallMixmaster(const std::string& mixDir);
  // Mixmaster installed in root\Mixmaster, which holds mix.exe; the folder.
  std::string InstallMixmasterIn(const ScratchDir& root);
  // A key with no values at all.
  void CreateEmptyKey(const std::string& key);
  void DeleteValue(const std::string& key, const char* name);
  // Both keys removed.
  void DeleteKeys();
  // A 32-bit number where the wizard reads a string, as a damaged
  // installation may hold it.
  void WriteNumber(const std::string& key, const char* name, DWORD value);

  // Every message box, recorded; questions are answered only as scripted.
  formtest::MsgBoxScript boxes;
};

bool KeyExists(const std::string& key);
// The short form of an existing path, as the system gives it.
std::string ShortForm(const std::string& path);
// Creates the folder and its missing parents.
void MakeDirs(const std::string& path);
// Waits (processing messages) until the shell's Program Manager answers DDE;
// false after ten seconds.
bool WaitForProgramManager();
// A Linux symbolic link to a folder: Wine's stand-in for a junction.
using FolderLink = LinuxLink;
// Writes the install record setup would write into folder for this user:
// the files of names there, as they are now, and the group with its links.
// Returns it.
InstallRecord WriteInstallRecord(const std::string& folder, const Lines& names,
                                 const std::string& group = "",
                                 const std::vector<RecordedLink>& links = {});
// A check box's two states in one comparable text: "on, live", "off, grey"...
std::string BoxState(const ui::CheckBox& box);
// ASCII case changes for building expected texts.
std::string Lower(std::string text);
std::string Upper(std::string text);
