#include "wizard/client_question.h"

#include "common/product.h"
#include "common/running_client.h"
#include "ui/message_box.h"

bool AskUntilClientCloses(HWND owner, const Lines& files) {
  while (!HeldFiles(files).empty())
    if (ui::MsgBox(owner, kClientRunningText, ProductName, ui::BoxKind::Warning, MB_RETRYCANCEL) != IDRETRY)
      return false;
  return true;
}
