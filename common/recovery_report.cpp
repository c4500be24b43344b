#include "common/recovery_report.h"

#include "common/left_report.h"

namespace {

Lines With(Lines lines, const Lines& more) {
  lines.insert(lines.end(), more.begin(), more.end());
  return lines;
}

}  // namespace

Lines RecoveryReport(const Recovery& r) {
  const std::string notRolledBack = "An earlier installation could not be rolled back: ";
  switch (r.outcome) {
    case Recovery::Outcome::None:
    case Recovery::Outcome::Finished: break;
    case Recovery::Outcome::Committed:
      if (r.left.empty()) break;
      return With({"An installation was completed, but these copies it kept could not be removed:"},
                  LeftReport(r.left));
    case Recovery::Outcome::RolledBack: return {"An interrupted installation was rolled back."};
    case Recovery::Outcome::SetAside:
      return {"An install journal that could not be read (" + r.reason + ") was set aside as " +
              r.keptAs + "; nothing was rolled back."};
    case Recovery::Outcome::Left:
      return With(
          With({notRolledBack + r.reason}, LeftReport(r.left)),
          {"Nothing else was changed; setup and the uninstaller try again when they next start."});
    case Recovery::Outcome::Refused:
      return {
          notRolledBack + r.reason + ".",
          "Nothing was changed. Setup and the uninstaller run again once that journal is removed."};
  }
  return {};
}
