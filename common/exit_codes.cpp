#include "common/exit_codes.h"

const char* ExitCodeMeaning(ExitCode code) {
  switch (code) {
    case ExitCode::Done: return "done";
    case ExitCode::BadCommandLine: return "bad command line";
    case ExitCode::FailedNothingLeft: return "failed, everything rolled back: nothing changed";
    case ExitCode::FailedSomethingLeft: return "failed, and something is left";
    case ExitCode::ClientRunning: return "Corvaline is running";
    case ExitCode::AnotherSetupRunning: return "another Corvaline setup or uninstall is running";
    case ExitCode::NewerInstalled: return "a newer version is installed";
    case ExitCode::DiskFull: return "not enough disk space";
    case ExitCode::DestinationRefused: return "destination refused";
    case ExitCode::NothingToUninstall: return "nothing to uninstall";
    case ExitCode::DistributionDamaged: return "the distribution is incomplete or damaged";
    case ExitCode::Cancelled: return "cancelled by the user";
  }
  return "unknown";
}

const char* WingetResponse(ExitCode code) {
  switch (code) {
    case ExitCode::BadCommandLine: return "invalidParameter";
    case ExitCode::ClientRunning: return "packageInUse";
    case ExitCode::AnotherSetupRunning: return "installInProgress";
    case ExitCode::NewerInstalled: return "downgrade";
    case ExitCode::DiskFull: return "diskFull";
    case ExitCode::DestinationRefused:
    case ExitCode::NothingToUninstall:
    case ExitCode::DistributionDamaged: return "custom";
    case ExitCode::Cancelled: return "cancelledByUser";
    default: return nullptr;
  }
}
