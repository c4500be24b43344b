#include "db/report.h"

#include <cstdio>

namespace {

void PrintToStderr(const std::string& caption, const std::string& text, bool) {
  // fputs rather than fprintf: the Windows build's printf brings a
  // floating-point formatter along.
  std::fputs((caption + ": " + text + "\n").c_str(), stderr);
}

DbReporter g_reporter = PrintToStderr;
thread_local std::string t_lastFailure;
thread_local std::string t_lastNotice;
thread_local int t_quiet = 0;

}  // namespace

void SetDbReporter(DbReporter reporter) { g_reporter = reporter ? reporter : PrintToStderr; }

void DbReport(const std::string& caption, const std::string& text, bool ownedByMainWindow) {
  if (t_quiet == 0) g_reporter(caption, text, ownedByMainWindow);
}

QuietDbReports::QuietDbReports() { ++t_quiet; }

QuietDbReports::~QuietDbReports() { --t_quiet; }

const std::string& DbLastFailure() { return t_lastFailure; }

void SetDbLastFailure(const std::string& text) { t_lastFailure = text; }

const std::string& DbLastNotice() { return t_lastNotice; }

void SetDbLastNotice(const std::string& text) { t_lastNotice = text; }
