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

}  // namespace

void SetDbReporter(DbReporter reporter) { g_reporter = reporter ? reporter : PrintToStderr; }

void DbReport(const std::string& caption, const std::string& text, bool ownedByMainWindow) {
  g_reporter(caption, text, ownedByMainWindow);
}

const std::string& DbLastFailure() { return t_lastFailure; }

void SetDbLastFailure(const std::string& text) { t_lastFailure = text; }
