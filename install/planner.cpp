// Everything an install needs is checked here, before anything changes.
#include <algorithm>
#include <set>

#include "common/constants.h"
#include "common/database_files.h"
#include "common/journal_rules.h"
#include "common/normalized_folder.h"
#include "common/protected_folders.h"
#include "common/running_client.h"
#include "common/version.h"
#include "distribution/file_name.h"
#include "install/client_folder.h"
#include "install/destination_rules.h"
#include "install/distribution.h"
#include "install/earlier_installation.h"
#include "install/install.h"
#include "sys/code_page.h"
#include "sys/file_access.h"
#include "sys/files.h"
#include "sys/path.h"
#include "sys/utf8_case.h"

namespace {

// Room kept free beyond what the files take: the database grows with the
// templates, and a full disk is no place to leave the user.
constexpr uint64_t kSpaceMargin = 1024 * 1024;

const char kSetupError[] = "Setup Error";

InstallPlan& Problem(InstallPlan& plan, PlanProblem problem, const std::string& message) {
  plan.problem = problem;
  plan.caption = IsQuestion(problem) ? ProductName : kSetupError;
  plan.message = message;
  return plan;
}

std::string Quoted(const std::string& folder) { return "\n" + folder + "\n"; }

// Anything in the folder, unless it is an installation of the client: the
// earlier one, or a folder holding the client, its uninstaller or the user's
// database an uninstall kept.
bool HoldsOtherFiles(const std::string& folder, const std::string& earlierFolder) {
  if (!DirectoryExists(folder)) return false;
  const FolderEntries entries = ListFolderEntries(AddBackslash(folder));
  if (entries.files.empty() && entries.subfolders.empty()) return false;
  if (!earlierFolder.empty() && SameFolder(folder, earlierFolder)) return false;
  for (const std::string& file : entries.files) {
    const std::string name = ExtractFileName(file);
    if (Utf8SameText(name, ClientExeFile) || Utf8SameText(name, UninstallerFile) || IsUserDatabaseFile(name))
      return false;
  }
  return true;
}

uint64_t SizeOf(const std::string& path) {
  uint64_t size = 0;
  return FileSizeOf(path, &size) ? size : 0;
}

// A folder without its trailing backslash, but a root with it ("C:\").
std::string AsFolder(const std::string& path) {
  const std::string folder = StripBackslash(path);
  return folder.size() == 2 && folder[1] == ':' ? folder + "\\" : folder;
}

// Whether some part of the path is a file: then the folder cannot be made.
bool BlockedByAFile(const std::string& folder) {
  for (std::string path = folder; !path.empty(); path = StripBackslash(ExtractFilePath(path))) {
    if (FileExists(path)) return true;
    if (DirectoryExists(path) || StripBackslash(ExtractFilePath(path)) == path) return false;
  }
  return false;
}

// The client reads the address and the host in the code page: a letter it
// cannot hold would be lost, or replaced by another.
bool CheckStorable(InstallPlan& plan) {
  const struct {
    const char* what;
    const std::string& text;
  } texts[] = {{"the address ", plan.address}, {"the mail host ", plan.host}};
  for (const auto& t : texts) {
    if (FitsCodePage(t.text)) continue;
    Problem(plan, PlanProblem::Unstorable,
            ProductName + " cannot use " + t.what + t.text +
                ": it has characters the client cannot read. Type it in other letters.");
    return false;
  }
  return true;
}

bool CheckName(InstallPlan& plan, const std::string& typed) {
  const NameVerdict verdict = JudgeDestinationName(typed);
  if (verdict == NameVerdict::Empty) {
    Problem(plan, PlanProblem::BadName, "No folder to install into.");
    return false;
  }
  if (verdict == NameVerdict::Usable) {
    plan.folder = AsFolder(FullPathName(typed));
    // A full path of its own, unless the system made it into something else.
    if (!plan.folder.empty() && JudgeDestinationName(plan.folder) == NameVerdict::Usable &&
        !BlockedByAFile(plan.folder))
      return true;
  }
  plan.folder = typed;
  Problem(plan, PlanProblem::BadName,
          "The folder" + Quoted(typed) +
              "cannot be made: a file has that name, or the name holds \\ / : * ? \" < > | or a "
              "control character, ends in a dot or a blank, or is a device name such as CON or NUL.");
  return false;
}

bool CheckPlace(InstallPlan& plan) {
  if (!DirectoryExists(PathRoot(plan.folder))) {
    Problem(plan, PlanProblem::Unreachable,
            "The drive or network share of the folder" + Quoted(plan.folder) + "cannot be reached.");
    return false;
  }
  if (IsProtectedFolder(plan.folder)) {
    Problem(plan, PlanProblem::Protected,
            "Corvaline cannot be installed into" + Quoted(plan.folder) +
                "It holds far more than one program: a drive, a folder of Windows or one of "
                "your own. Choose a folder of its own for Corvaline.");
    return false;
  }
  return true;
}

// Why the files cannot all be installed, each under a name of its own that
// is neither a device nor a copy setup keeps for a roll-back ("" when they
// can): rule 16 of docs/install-recovery.md.
std::string TargetFault(const std::vector<PlannedFile>& files) {
  std::set<std::string> targets;
  for (const PlannedFile& file : files) {
    if (IsDeviceName(file.name)) return file.name + " is the name of a device";
    if (IsCopyName(file.name))
      return file.name + " has the name of a copy setup keeps for a roll-back";
    if (!targets.insert(Utf8LowerCase(file.name)).second)
      return "two of its files would both be installed as " + file.name;
  }
  return std::string();
}

// What the distribution brings, less the user's database files already there.
bool CheckDistribution(InstallPlan& plan, const InstallChoices& choices) {
  Distribution distribution = OpenDistribution(choices.program, choices.source);
  if (distribution.problem != PlanProblem::None) {
    Problem(plan, distribution.problem, distribution.message);
    return false;
  }
  const std::string fault = TargetFault(distribution.files);
  if (!fault.empty()) {
    Problem(plan, PlanProblem::Distribution,
            "The distribution cannot be installed: " + fault + ".");
    return false;
  }
  // Installing into the distribution's own folder: its files are where they belong.
  if (!distribution.oneFile && SameFolder(plan.folder, choices.source)) distribution.files.clear();
  const std::string dir = AddBackslash(plan.folder);
  for (const PlannedFile& file : distribution.files)
    if (!IsUserDatabaseFile(file.name) || !FileExists(dir + file.name)) plan.files.push_back(file);
  plan.program = choices.program;
  plan.version = distribution.version;
  return true;
}

// The client must be able to read the folder's name and open every file there.
bool CheckClientPath(InstallPlan& plan) {
  size_t folderLength = 0;
  if (!ClientWillRead(plan.folder, &folderLength)) {
    Problem(plan, PlanProblem::Unreadable, UnreadableFolderText(plan.folder));
    return false;
  }
  std::string longest = ChangeFileExt(ClientExeFile, DatabaseExt);
  for (const PlannedFile& file : plan.files)
    if (file.name.size() > longest.size()) longest = file.name;
  if (FitsClientPath(folderLength, longest)) return true;
  Problem(plan, PlanProblem::TooLong,
          "The folder" + Quoted(plan.folder) + "is too long: the path of " + longest +
              " in it would be longer than " + std::to_string(kLongestClientPath) +
              " characters, and Corvaline could not open it. Choose a shorter folder.");
  return false;
}

bool CheckRights(InstallPlan& plan) {
  if (!LacksRightsFor(plan.folder)) return true;
  const std::string own = UserProgramsDestination();
  if (own.empty() || SameFolder(own, plan.folder) || Utf8SameText(own, plan.folder)) {
    Problem(plan, PlanProblem::NoRights, "You do not have the rights to install into" + Quoted(plan.folder));
    return false;
  }
  plan.ownFolder = own;
  Problem(plan, PlanProblem::NoRights,
          "You do not have the rights to install into" + Quoted(plan.folder) +
              "\nInstall into your own programs folder" + Quoted(own) + "instead?");
  return false;
}

// The client holds its program and its database while it runs. Another
// file held open (a read-me in an editor) fails its copy and is reported so.
bool CheckClientRunning(InstallPlan& plan) {
  if (HeldFiles({ClientDatabaseIn(plan.folder), ClientProgramIn(plan.folder)}).empty()) return true;
  Problem(plan, PlanProblem::ClientRunning, kClientRunningText);
  return false;
}

bool CheckSpace(InstallPlan& plan) {
  uint64_t needed = kSpaceMargin;
  for (const PlannedFile& file : plan.files) needed += file.size;
  // The database is seeded from the template, or kept aside while the
  // templates change it.
  const std::string database = ClientDatabaseIn(plan.folder);
  needed += std::max(SizeOf(database), SizeOf(AddBackslash(plan.folder) + ChangeFileExt(ClientExeFile, IniExt)));
  uint64_t free = 0;
  if (!FreeDiskBytes(plan.folder, &free) || free >= needed) return true;
  Problem(plan, PlanProblem::DiskFull,
          "There is not enough free disk space to install into" + Quoted(plan.folder) +
              std::to_string((needed + 1023) / 1024) + " KB are needed, " + std::to_string(free / 1024) +
              " KB are free.");
  return false;
}

}  // namespace

bool IsQuestion(PlanProblem problem) {
  return problem == PlanProblem::NoRights || problem == PlanProblem::OtherFiles ||
         problem == PlanProblem::NewerInstalled;
}

InstallPlan PlanInstall(const InstallChoices& choices) {
  InstallPlan plan;
  const EarlierInstallation earlier = ReadEarlierInstallation();
  plan.existing = earlier.found;
  plan.installedVersion = earlier.version;
  plan.address = choices.address;
  plan.host = choices.host;
  plan.group = choices.group;
  // The probe of what the client can read needs the rights to the folder.
  if (!CheckStorable(plan) || !CheckName(plan, choices.folder) || !CheckPlace(plan) ||
      !CheckDistribution(plan, choices) || !CheckRights(plan) || !CheckClientPath(plan))
    return plan;
  if (!choices.otherFilesAccepted && HoldsOtherFiles(plan.folder, earlier.folder))
    return Problem(plan, PlanProblem::OtherFiles,
                   "The folder " + plan.folder +
                       " already holds other files. Uninstalling Corvaline later deletes every file "
                       "in it except your database. Install there anyway?");
  if (!choices.downgradeAccepted && earlier.found && !plan.version.empty() && !earlier.version.empty() &&
      CompareVersions(plan.version, earlier.version) < 0)
    return Problem(plan, PlanProblem::NewerInstalled,
                   "A newer version of Corvaline, " + earlier.version + ", is installed. Install version " +
                       plan.version + " over it?");
  if (!CheckClientRunning(plan) || !CheckSpace(plan)) return plan;
  return plan;
}
