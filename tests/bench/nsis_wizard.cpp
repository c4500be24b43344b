#include "tests/bench/nsis_wizard.h"

#include <windows.h>

#include "sys/path.h"

namespace bench {
namespace {

// Its title as Modern UI words it for the product.
const char kFinishTitle[] = "Completing Corvaline Setup";

std::string StoredText(const e2e::Window& w) {
  char text[128] = "";
  // Of another process's window, the text the system keeps: no message sent.
  GetWindowTextA(w.Handle(), text, sizeof text);
  return text;
}

}  // namespace

automation::Process NsisWizard::Start(const std::string& exe) {
  return automation::Process::Start(exe, "", StripBackslash(ExtractFilePath(exe)));
}

// Modern UI adds each page's sub-caption, a blank, to "Corvaline Setup".
NsisWizard::NsisWizard(automation::Process started)
    : Wizard(std::move(started), std::string(e2e::kSetupCaption) + " ") {}

void NsisWizard::FillDirectory(const std::string& folder) const {
  automation::Type(Form().Get(automation::EditControl()), folder);
  automation::WaitText(NextButton(), "Install");
}

e2e::Window NsisWizard::NextButton() const { return e2e::Window(GetDlgItem(Form().Handle(), IDOK)); }

bool NsisWizard::OnFinishPage() const {
  for (const e2e::Window& w : Form().Controls(/*visibleOnly=*/true))
    if (StoredText(w) == kFinishTitle) return true;
  return false;
}

}  // namespace bench
