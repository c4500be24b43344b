// Where the engine's zlib messages go. The Windows program shows them in a
// message box; tools print them. Failures still travel as result codes: a
// report only tells the person in front of the screen.
#pragma once
#include <string>

// ownedByMainWindow: compression failures belong to the application's main
// window; decompression failures have no owner.
using DbReporter = void (*)(const std::string& caption, const std::string& text,
                            bool ownedByMainWindow);

// nullptr restores the default, which prints "caption: text" on standard error.
void SetDbReporter(DbReporter reporter);
void DbReport(const std::string& caption, const std::string& text, bool ownedByMainWindow);

// While one lives, this thread's reports are dropped: for reads the engine
// makes on its own account (a look over the whole tree), whose failures are
// not the operation's.
class QuietDbReports {
 public:
  QuietDbReports();
  ~QuietDbReports();
  QuietDbReports(const QuietDbReports&) = delete;
  QuietDbReports& operator=(const QuietDbReports&) = delete;
};

// The reason the last failed operation of this thread gave (the manager's
// composed error report, or the fault a check found and its offset). Tools
// print it; the engine itself never shows it.
const std::string& DbLastFailure();
void SetDbLastFailure(const std::string& text);

// What the last operation of this thread dealt with that was no failure (a
// journal dropped because another program had written the file since);
// empty when there was nothing. Tools print it.
const std::string& DbLastNotice();
void SetDbLastNotice(const std::string& text);
