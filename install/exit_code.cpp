#include "install/exit_code.h"

ExitCode ExitCodeFor(PlanProblem problem) {
  switch (problem) {
    case PlanProblem::None: return ExitCode::Done;
    case PlanProblem::ClientRunning: return ExitCode::ClientRunning;
    case PlanProblem::NewerInstalled: return ExitCode::NewerInstalled;
    case PlanProblem::DiskFull: return ExitCode::DiskFull;
    case PlanProblem::Distribution: return ExitCode::DistributionDamaged;
    case PlanProblem::Unstorable: return ExitCode::BadCommandLine;
    case PlanProblem::NoRights:
    case PlanProblem::OtherFiles:
    case PlanProblem::Protected:
    case PlanProblem::BadName:
    case PlanProblem::Unreachable:
    case PlanProblem::TooLong:
    case PlanProblem::Unreadable: return ExitCode::DestinationRefused;
  }
  return ExitCode::DestinationRefused;
}

ExitCode ExitCodeFor(InstallResult result) {
  switch (result) {
    case InstallResult::Done: return ExitCode::Done;
    case InstallResult::RolledBack: return ExitCode::FailedNothingLeft;
    case InstallResult::NoSpace: return ExitCode::DiskFull;
    case InstallResult::Left: return ExitCode::FailedSomethingLeft;
  }
  return ExitCode::FailedSomethingLeft;
}

ExitCode ExitCodeFor(const InstallOutcome& outcome) {
  if (outcome.damaged && outcome.result == InstallResult::RolledBack)
    return ExitCode::DistributionDamaged;
  return ExitCodeFor(outcome.result);
}
