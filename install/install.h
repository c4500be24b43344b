// The install engine: one install for the wizard and the unattended run.
// PlanInstall checks everything before anything changes and says what it
// would do or why it cannot; RunInstall makes the changes, each written to
// the install journal first, and takes them all back when one fails.
// Every text here is UTF-8; the engine stores what the client reads (the
// address, the host, the values under its key) in the code page.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "distribution/sha256.h"
#include "sys/lines.h"

struct InstallChoices {
  std::string program;  // the running setup.exe, for the payload it may carry
  std::string source;   // the distribution's folder
  std::string folder;   // the destination
  // For the default message and article; the templates are stored only when
  // both are known.
  std::string address;
  std::string host;
  bool group = true;    // a Start-menu group
  // Answers the user gave to the planner's questions.
  bool otherFilesAccepted = false;
  bool downgradeAccepted = false;
};

// Why an install cannot go ahead as chosen. The first kinds are questions a
// wizard may put to the user; the rest are refusals.
enum class PlanProblem {
  None,
  NoRights,         // the user may not write the folder: install into ownFolder instead?
  OtherFiles,       // the folder holds files of its own: install there anyway?
  NewerInstalled,   // a newer version is installed: install the older one anyway?
  ClientRunning,    // the running client holds files the install would replace
  Protected,        // a drive or share root, a known folder or a folder holding one
  BadName,          // a name the file system cannot hold, or no folder at all
  Unreachable,      // a drive or share that is not there
  TooLong,          // the client could not use its files there
  Unreadable,       // a name outside the code page, and no short form of it for the client
  Unstorable,       // an address or host with letters outside the code page
  DiskFull,
  Distribution,     // the distribution is incomplete or damaged
};

bool IsQuestion(PlanProblem problem);

struct PlannedFile {
  std::string source;  // full path of the file to copy, when it is one
  std::string name;    // its name in the destination
  uint64_t size = 0;
  bool listed = false;  // a copy checked against this SHA-256 as it is made
  Sha256Digest sha256{};
  int entry = -1;       // else the entry of the running setup.exe's payload
  std::string content;  // else these bytes (the one-file setup's file list)
};

struct InstallPlan {
  PlanProblem problem = PlanProblem::None;
  std::string caption;  // the problem's message box caption
  std::string message;  // the problem in the user's words, naming the folder
  std::string ownFolder;  // NoRights: where the user may install instead

  std::string folder;  // the destination: a full path, no trailing backslash
  std::vector<PlannedFile> files;
  std::string program;  // the setup.exe whose payload the files may come from
  std::string version;           // of the distribution
  std::string installedVersion;  // of the earlier installation
  bool existing = false;         // an earlier installation: the client's key is there
  std::string address;
  std::string host;
  bool group = true;
};

InstallPlan PlanInstall(const InstallChoices& choices);

enum class InstallResult {
  Done,
  RolledBack,  // failed, and everything it changed was taken back
  NoSpace,     // a copy found the volume full, and everything was taken back
  Left,        // failed, and the roll-back could not take everything back
};

struct InstallOutcome {
  InstallResult result = InstallResult::Done;
  bool damaged = false;  // failed as a file of the distribution differed from its record
  std::string caption;  // the failure, as a message box would show it
  std::string message;
  Lines left;           // Left: what is still there
  std::string groupFolder;  // Done with a group: its folder
};

extern const char kInstallFailedText[];  // "Installation failed. Nothing was changed."

// The log receives the step lines ("   program files...done") and, after a
// failure, the roll-back's verdict.
using InstallLog = std::function<void(const std::string& line)>;
InstallOutcome RunInstall(const InstallPlan& plan, const InstallLog& log);
