#include "wizard/client_question.h"

#include "common/product.h"
#include "common/running_client.h"
#include "ui/message_box.h"

bool AskUntilClientCloses(HWND owner, const Lines& files) {
  return AskUntilClosed(owner, files, kClientRunningText);
}

bool AskUntilClosed(HWND owner, const Lines& files, const std::string& text) {
  while (!HeldFiles(files).empty())
    if (ui::MsgBox(owner, text, ProductName, ui::BoxKind::Warning, MB_RETRYCANCEL) != IDRETRY)
      return false;
  return true;
}
