#include "app/unattended.h"

#include "common/constants.h"
#include "common/install_journal.h"
#include "common/one_at_a_time.h"
#include "db/report.h"
#include "install/distribution.h"
#include "install/earlier_installation.h"
#include "install/exit_code.h"
#include "install/install.h"
#include "removal/removal.h"
#include "sys/account.h"
#include "sys/files.h"
#include "sys/module_path.h"
#include "sys/text.h"

namespace {

// Appends lines to the file of /LOG=, if one was given.
class RunLog {
 public:
  explicit RunLog(const std::optional<std::string>& path) : path_(path.value_or("")) {}
  // A log that cannot be written is found out before anything changes.
  bool Usable() const { return path_.empty() || AppendToFile(path_, ""); }
  // Each line reaches the file at once, so a run that is stopped leaves its log.
  void Line(const std::string& line) const {
    if (!path_.empty()) AppendToFile(path_, line + "\r\n");
  }

 private:
  std::string path_;
};

const char kRunningRefusalText[] = "Corvaline is running and holds its files: nothing was changed.";
const char kMixmasterHeldRefusalText[] =
    "A program holds files of Mixmaster open: nothing was changed.";

const RunLog* g_log = nullptr;

// The record store's zlib messages become log lines too.
void LogDbReport(const std::string& caption, const std::string& text, bool) {
  if (g_log) g_log->Line(caption + ": " + OneLine(text));
}

// A journal a stopped run left is finished before anything else; false when
// it cannot be, and then nothing may change.
bool Recover(const RunLog& log) {
  const Recovery recovery = RecoverInterruptedInstall(InstallJournalPath());
  for (const std::string& line : RecoveryReport(recovery)) log.Line(line);
  return !recovery.Unfinished();
}

// What the wizard would ask, said as the refusal it is without a user: the
// log of an unattended run never holds a question.
std::string RefusalText(const InstallPlan& plan) {
  switch (plan.problem) {
    case PlanProblem::NoRights:
      return "You do not have the rights to install into " + plan.folder + ": not installed." +
             (plan.ownFolder.empty() ? ""
                                     : " /D=" + plan.ownFolder + " installs into your own programs folder.");
    case PlanProblem::OtherFiles:
      return "The folder " + plan.folder +
             " already holds other files, and uninstalling Corvaline later would delete every file "
             "in it except the database: not installed there. Give an empty folder with /D=.";
    case PlanProblem::NewerInstalled:
      return "A newer version of Corvaline, " + plan.installedVersion + ", is installed: version " +
             plan.version + " is not installed over it. /ALLOWDOWNGRADE installs it all the same.";
    case PlanProblem::ClientRunning:
      return kRunningRefusalText + std::string(" Close it, then run setup again.");
    default:
      return OneLine(plan.message);
  }
}

// The switches take the place of what the user would type; what they leave
// out comes from the earlier installation, else the wizard's defaults.
InstallChoices ChoicesFrom(const Switches& s) {
  const EarlierInstallation earlier = ReadEarlierInstallation();
  InstallChoices choices;
  choices.program = ModuleFileName();
  choices.source = GetCurrentDir();
  choices.folder = s.folder ? *s.folder : !earlier.folder.empty() ? earlier.folder : ProposedDestination();
  const StoredAddress stored = ReadStoredAddress(earlier.found ? earlier.folder : std::string());
  choices.address = s.address.value_or(stored.address);
  choices.host = s.host.value_or(stored.host);
  choices.group = !s.noGroup && (earlier.found ? earlier.group : true);
  choices.downgradeAccepted = s.allowDowngrade;
  return choices;
}

ExitCode Install(const Switches& switches, const RunLog& log) {
  const InstallChoices choices = ChoicesFrom(switches);
  for (const std::string& line : {"Folder = " + choices.folder, "Address = " + choices.address,
                                  "MailHost = " + choices.host,
                                  std::string("ProgramGroup = ") + (choices.group ? "yes" : "no")})
    log.Line(line);
  const InstallPlan plan = PlanInstall(choices);
  if (plan.problem != PlanProblem::None) {
    log.Line(plan.caption + ": " + RefusalText(plan));
    return ExitCodeFor(plan.problem);
  }
  const InstallOutcome outcome = RunInstall(plan, [&log](const std::string& line) { log.Line(line); });
  if (outcome.result == InstallResult::Done) log.Line("Installation complete!");
  return ExitCodeFor(outcome);
}

// Removes what the wizard checks when it opens, with all its rules.
ExitCode Remove(const RunLog& log) {
  const InstalledProducts products = ReadInstalledProducts();
  if (!products.app && !products.mix) {
    log.Line("Neither Corvaline nor Mixmaster are installed on this machine!");
    log.Line("Nothing to un-install!");
    return ExitCode::NothingToUninstall;
  }
  const RemovalChoices choices = OpeningChoices(products);
  if (!choices.app && !choices.mix) {  // only a client its user keeps
    log.Line("Nothing to un-install!");
    return ExitCode::NothingToUninstall;
  }
  log.Line(ProductName + (choices.app ? " = YES" : " = NO"));
  log.Line(std::string("Mixmaster") + (choices.mix ? " = YES" : " = NO"));
  const Lines held = HeldByRunningClient(products, choices);
  if (!held.empty()) {
    log.Line((ClientFilesHeld(products, held) ? kRunningRefusalText : kMixmasterHeldRefusalText) +
             std::string(" Close it, then run the uninstaller again."));
    return ExitCode::ClientRunning;
  }
  const RemovalOutcome outcome =
      RunRemoval(products, choices, [&log](const std::string& line, bool) { log.Line(line); });
  log.Line(outcome.complete ? "Un-Installation complete!" : "Un-Installation incomplete!");
  return outcome.complete ? ExitCode::Done : ExitCode::FailedSomethingLeft;
}

ExitCode Run(Role role, const Switches& switches, const RunLog& log) {
  for (const std::string& unknown : switches.unknown) log.Line("Unknown switch: " + unknown);
  if (!switches.unknown.empty()) return ExitCode::BadCommandLine;
  if (RunsAsLocalSystem()) {
    log.Line(kLocalSystemText);
    return ExitCode::DestinationRefused;
  }
  SetupMutex mutex;
  if (!mutex.Held()) {
    log.Line(kAnotherSetupRunningText);
    return ExitCode::AnotherSetupRunning;
  }
  try {
    if (!Recover(log)) return ExitCode::FailedSomethingLeft;
    return role == Role::Setup ? Install(switches, log) : Remove(log);
  } catch (const std::exception& e) {
    // Nothing the engines raise is left uncaught; this is a last guard.
    log.Line(e.what());
    return ExitCode::FailedSomethingLeft;
  }
}

}  // namespace

const char kLocalSystemText[] =
    "Corvaline installs for one user: run it as that user (Intune: install behaviour User)";

ExitCode RunUnattended(Role role, const Switches& switches, bool damaged) {
  const RunLog log(switches.log);
  if (!log.Usable()) return ExitCode::BadCommandLine;
  g_log = &log;
  SetDbReporter(LogDbReport);
  if (damaged) log.Line(kDamagedSetupText);
  const ExitCode code = damaged ? ExitCode::DistributionDamaged : Run(role, switches, log);
  log.Line("Exit code: " + std::to_string(static_cast<int>(code)) + " (" + ExitCodeMeaning(code) + ")");
  SetDbReporter(nullptr);
  g_log = nullptr;
  return code;
}
