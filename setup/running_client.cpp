// A running client holds its database and its program file: nothing can read
// the one or replace the other until it is closed.
#include "common/constants.h"
#include "setup/SetupDlg.h"
#include "sys/file_access.h"
#include "sys/path.h"

bool TSetupForm::WaitForClientToClose() {
  const std::string folder = AddBackslash(AppDIR.Text());
  // While the wizard is being built its window is not shown yet: the
  // question stands on its own then.
  HWND owner = Visible() ? Handle() : nullptr;
  while (FileInUse(folder + DatabaseName) || FileInUse(folder + ClientExeName)) {
    if (ui::MsgBox(owner, ProductName + " is running. Close it, then click Retry.", ProductName,
                   MB_RETRYCANCEL) != IDRETRY)
      return false;
  }
  return true;
}
