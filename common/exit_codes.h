// The exit codes of setup and the uninstaller, the same for the wizards and
// the unattended runs: package managers map them to what they tell the user.
#pragma once

enum class ExitCode : int {
  Done = 0,
  BadCommandLine = 1,      // unknown switch, bad value, unusable /LOG=
  FailedNothingLeft = 2,   // failed, everything rolled back
  FailedSomethingLeft = 3, // failed, and something is left (the log lists it)
  ClientRunning = 4,
  AnotherSetupRunning = 5,
  NewerInstalled = 6,
  DiskFull = 7,
  DestinationRefused = 8,  // protected, holds other files, unusable name, unreachable, too long
  NothingToUninstall = 9,
  DistributionDamaged = 10,
  Cancelled = 11,          // the user quit a wizard
};

// What the code means, in the words of the log's last line.
const char* ExitCodeMeaning(ExitCode code);
// What winget tells the user for it (its ExpectedReturnCodes response), or
// nullptr when winget is left to its own reading of a failure.
const char* WingetResponse(ExitCode code);
