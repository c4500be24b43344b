// An earlier installation's settings, and the default message and article
// stored in the client's database.
#include "common/constants.h"
#include "db/FileMan1.h"
#include "msg/header_manager.h"
#include "setup/SetupDlg.h"
#include "sys/exception.h"
#include "sys/files.h"
#include "sys/path.h"
#include "sys/registry.h"

namespace {

const char kChain[] = "Chain: *,*,*,*; copies=1";
// Where the default article is posted: a mail-to-news gateway.
const char kNewsGateway[] = "mail2news@mail2news.example.net";

}  // namespace

void TSetupForm::LoadExistingSettings() {
  Registry registry;
  if (registry.OpenKeyReadOnly(ProductRegistryKey)) {
    GroupBox.SetChecked(!registry.ReadStringOrEmpty("Program Group").empty());
    std::string folder = registry.ReadStringOrEmpty("AppDir");
    if (!folder.empty()) AppDIR.SetText(folder);
    registry.CloseKey();
    ExistingInstall = true;
  }
  if (registry.OpenKeyReadOnly(MixRegistryKey)) {
    MixFolder = registry.ReadStringOrEmpty("MixDir");
    registry.CloseKey();
  }
  if (AppDIR.Text().empty()) AppDIR.SetText("C:\\Program Files\\" + ProductName);
}

void TSetupForm::LoadExistingAddress() {
  std::string database = ClientDatabasePath();
  if (!FileExists(database)) return;
  if (!WaitForClientToClose()) throw EAbort();
  Lines message;
  THeaderManager header(&message);
  try {
    GetRecordStrings(message, DefaultMessageKey, database);
  } catch (const EFOpenError&) {
    return;  // unreadable: the fields stay empty and the file as it is
  }
  EAddr.SetText(header.GetHeaderValue("From: "));
  Host.SetText(header.GetHeaderValue("Host: "));
}

bool TSetupForm::TemplateIsCurrent(const std::string& key, const std::string& database) const {
  Lines stored;
  THeaderManager header(&stored);
  try {
    if (GetRecordStrings(stored, key, database) != 0 || stored.empty()) return false;
  } catch (const EFOpenError&) {
    return false;
  }
  return header.GetHeaderValue("From: ") == EAddr.Text() &&
         header.GetHeaderValue("Host: ") == Host.Text();
}

bool TSetupForm::StoreDefaultTemplates() {
  const std::string database = ClientDatabasePath();
  if (FileExists(ChangeFileExt(database, EncryptedExt)) && !FileExists(database)) return true;

  // A template that already carries this address and host may hold the
  // user's own edits: it stays as it is.
  const std::string host = "Host: " + Host.Text();
  const std::string from = "From: " + EAddr.Text();
  Lines message = {"Fcc: outbox", host, from, kChain, "To: ", "Subject: ", "",
                   GetInitValue("Cutmarks", "~~", ProgramDatabaseFile)};
  if (!TemplateIsCurrent(DefaultMessageKey, database) &&
      PutRecordStrings(DefaultMessageKey, &message, database) != 0) {
    ui::MsgBox(Handle(), "Error storing default message!", "Setup Error", MB_OK);
    return false;
  }
  Lines article = {"Fcc: outbox", host, from, kChain, std::string("To: ") + kNewsGateway,
                   "X-No-Archive: Yes", "Newsgroups: ", "Subject: ", "", "~~"};
  if (!TemplateIsCurrent(DefaultArticleKey, database) &&
      PutRecordStrings(DefaultArticleKey, &article, database) != 0) {
    ui::MsgBox(Handle(), "Error storing default article!", "Setup Error", MB_OK);
    return false;
  }
  return true;
}
