// The NSIS installer of tests/bench/corvaline.nsi as a user meets it: one
// window showing the directory page, the install page and the finish page,
// with NSIS's fixed button ids (1 Next, Install or Finish; 2 Cancel; 3 Back).
#pragma once
#include <string>

#include "tests/e2e/session.h"

namespace bench {

class NsisWizard : public e2e::Wizard {
 public:
  // The installer started in its own folder, not yet waited for.
  static automation::Process Start(const std::string& exe);
  explicit NsisWizard(automation::Process started);

  // Directory page: the destination typed, until "Install" shows.
  void FillDirectory(const std::string& folder) const;
  // The button with id 1.
  e2e::Window NextButton() const;
  // Whether the finish page shows, read without a message to the installer.
  bool OnFinishPage() const;
};

}  // namespace bench
