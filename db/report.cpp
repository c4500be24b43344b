#include "db/report.h"

#include <cstdio>

namespace {

void PrintToStderr(const std::string& caption, const std::string& text, bool) {
  std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
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
