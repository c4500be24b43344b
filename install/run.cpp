// An install as one change: the steps in order, each recorded in the
// journal; the first that fails takes everything back.
#include "common/constants.h"
#include "common/install_journal.h"
#include "common/left_report.h"
#include "common/program_group.h"
#include "install/install.h"
#include "install/installer.h"
#include "sys/files.h"
#include "sys/text.h"

const char kInstallFailedText[] = "Installation failed. Nothing was changed.";

namespace {

const char kLeftText[] = "Installation failed. Setup could not take back everything it changed:";

const char* Verdict(StepResult result) {
  switch (result) {
    case StepResult::Done: return "...done";
    case StepResult::Skipped: return "...skipped";
    case StepResult::Failed: break;
  }
  return "...failed";
}

using Step = StepResult (Installer::*)();

// Runs the steps; false, with the failure in outcome, at the first that fails.
bool RunSteps(const InstallPlan& plan, Installer& installer, InstallJournal& journal,
              InstallOutcome& outcome, const InstallLog& say) {
  auto fail = [&](const std::string& caption, const std::string& message) {
    outcome.caption = caption;
    outcome.message = message;
    return false;
  };
  const std::string journalError = "Setup cannot write its install journal\n" + InstallJournalPath();
  // The journal holds nothing beyond the destination, the group and the two keys;
  // it is never begun over one an earlier run could not finish.
  if (!journal.Begin(plan.folder, plan.group ? GroupFolderOf(ProductName) : std::string()))
    return fail("Setup Error",
                FileExists(InstallJournalPath())
                    ? "An earlier installation could not be rolled back: its journal\n" +
                          InstallJournalPath() +
                          "\nis still there. Setup tries again when it next starts."
                    : journalError);
  const struct {
    const char* name;  // nullptr: a step of its own with no line in the log
    Step run;
  } steps[] = {{"program files", &Installer::CopyProgramFiles},
               {"registry settings", &Installer::SaveRegistrySettings},
               {"default templates", &Installer::StoreDefaultTemplates},
               {"program group", &Installer::CreateProgramGroup},
               // Last of the changes it records; before the size, which counts it.
               {nullptr, &Installer::WriteInstallRecord},
               // The templates have grown the database since the entry was written.
               {nullptr, &Installer::UpdateEstimatedSize}};
  for (const auto& step : steps) {
    StepResult result = StepResult::Failed;
    try {
      result = (installer.*step.run)();
    } catch (const std::exception& e) {
      return fail("Setup Error", e.what());
    }
    if (step.name) say(std::string("   ") + step.name + Verdict(result));
    if (result == StepResult::Failed) {
      outcome.damaged = installer.Damaged();
      return fail(installer.FailureCaption(), installer.FailureMessage());
    }
  }
  return journal.Commit() || fail("Setup Error", journalError);
}

}  // namespace

InstallOutcome RunInstall(const InstallPlan& plan, const InstallLog& log) {
  auto say = [&log](const std::string& line) {
    if (log) log(line);
  };
  InstallOutcome outcome;
  InstallJournal journal(InstallJournalPath());
  Installer installer(plan, journal);
  if (RunSteps(plan, installer, journal, outcome, say)) {
    outcome.groupFolder = installer.GroupFolder();
    return outcome;
  }
  say(outcome.caption + ": " + OneLine(outcome.message));
  outcome.left = journal.RollBack();
  if (outcome.left.empty()) {
    outcome.result = installer.OutOfSpace() ? InstallResult::NoSpace : InstallResult::RolledBack;
    say(kInstallFailedText);
    return outcome;
  }
  outcome.result = InstallResult::Left;
  say(kLeftText);
  for (const std::string& line : LeftReport(outcome.left)) say(line);
  return outcome;
}
