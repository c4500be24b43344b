// The account this program runs under.
#pragma once

// Whether it runs as LocalSystem, as deployment services (Intune, SCCM) run
// installers that are not set to run as the user. Wine cannot run a program
// so: there the environment variable CV_TEST_AS_LOCAL_SYSTEM=1 stands in.
bool RunsAsLocalSystem();
