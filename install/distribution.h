// The distribution setup installs, in one of three forms: the payload the
// running setup.exe carries (the one-file setup), a folder with its file list
// (exactly the listed files), or a folder without one (every plain file of
// it). What the files should be (the payload's directory, the list, the
// sizes) is checked before anything changes; the files' bytes are checked
// against their SHA-256 as they are installed, read once.
#pragma once
#include <string>
#include <vector>

#include "install/install.h"

struct Distribution {
  PlanProblem problem = PlanProblem::None;  // Distribution: incomplete or damaged
  std::string message;                      // then, in the user's words
  bool oneFile = false;                     // the files come from program's payload
  std::vector<PlannedFile> files;           // each with its name in the destination
  std::string version;                      // "Version" of its template database
};

extern const char kDamagedSetupText[];  // "The setup file is damaged. Please download it again."
// A file of the distribution folder that differs from its file list.
std::string DamagedFileText(const std::string& folder, const std::string& name);

// Whether program carries files of its own, and whether their directory is sound.
enum class CarriedFiles { None, Sound, Damaged };
CarriedFiles FilesCarriedBy(const std::string& program);

// The version of the distribution, without checking its files: for a title.
std::string DistributionVersion(const std::string& program, const std::string& folder);

// The payload program carries, its directory checked, or nullptr.
class PayloadReader;
PayloadReader* CarriedPayload(const std::string& program);
// Closes the program's file, which the payload's reader holds open: the
// uninstaller needs no payload, and moves its own file away before it ends.
void ReleaseCarriedFiles();

// program: the running setup.exe, looked into for a payload ("" for none);
// folder: where it lies. setup.exe arrives as the uninstaller, the file list
// (written afresh for the one-file form) as the record of what was installed.
Distribution OpenDistribution(const std::string& program, const std::string& folder);
