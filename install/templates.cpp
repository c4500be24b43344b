// The default message and news article in the client's database, prepared
// with the user's address and outgoing mail host.
#include "common/constants.h"
#include "db/FileMan1.h"
#include "install/earlier_installation.h"
#include "install/installer.h"
#include "msg/header_manager.h"
#include "sys/code_page.h"
#include "sys/exception.h"
#include "sys/files.h"
#include "sys/path.h"

namespace {

const char kChain[] = "Chain: *,*,*,*; copies=1";
// Where the default article is posted: a mail-to-news gateway.
const char kNewsGateway[] = "mail2news@mail2news.example.net";

Lines StoredLines(const std::string& key, const std::string& database) {
  Lines stored;
  try {
    if (FileExists(database)) GetRecordStrings(stored, key, database);
  } catch (const EFOpenError&) {
    stored.clear();
  }
  return stored;
}

// A template that already carries this address and host may hold the user's
// own edits: it stays as it is.
bool IsCurrent(const std::string& key, const std::string& database, const std::string& address,
               const std::string& host) {
  Lines stored = StoredLines(key, database);
  THeaderManager header(&stored);
  return !stored.empty() && header.GetHeaderValue("From: ") == address && header.GetHeaderValue("Host: ") == host;
}

}  // namespace

StepResult Installer::StoreDefaultTemplates() {
  // Without both the client fills them in itself, or a later setup does.
  if (plan_.address.empty() || plan_.host.empty()) return StepResult::Skipped;
  // Records hold text in the code page; the planner has made sure both fit.
  std::string address, hostName;
  if (!AnsiFromUtf8(plan_.address, &address) || !AnsiFromUtf8(plan_.host, &hostName))
    return Fail("Setup Error", "Error storing default message!");
  const std::string database = ClientDatabaseIn(plan_.folder);
  // The client keeps its database encrypted: not ours to read or write.
  if (FileExists(ChangeFileExt(database, EncryptedExt)) && !FileExists(database)) return StepResult::Skipped;

  const std::string host = "Host: " + hostName;
  const std::string from = "From: " + address;
  const Lines message = {"Fcc: outbox", host, from, kChain, "To: ", "Subject: ", "",
                         GetInitValue("Cutmarks", "~~", ProgramDatabaseFile)};
  const Lines article = {"Fcc: outbox", host, from, kChain, std::string("To: ") + kNewsGateway,
                         "X-No-Archive: Yes", "Newsgroups: ", "Subject: ", "", "~~"};
  const struct {
    const std::string& key;
    const Lines& lines;
    const char* error;
  } records[] = {{DefaultMessageKey, message, "Error storing default message!"},
                 {DefaultArticleKey, article, "Error storing default article!"}};
  bool current[2];
  for (int i = 0; i < 2; ++i) current[i] = IsCurrent(records[i].key, database, address, hostName);
  if (current[0] && current[1]) return StepResult::Done;

  const bool made = FileExists(database) ? BackUp(database) : PrepareTarget(database);
  if (!made) return Fail("Setup Error", "Unable to keep a copy of\n" + database + "\nNothing was changed in it.");
  try {
    for (int i = 0; i < 2; ++i) {
      if (current[i]) continue;
      if (PutRecordStrings(records[i].key, &records[i].lines, database) != 0 ||
          StoredLines(records[i].key, database) != records[i].lines)
        return Fail("Setup Error", records[i].error);
    }
  } catch (const Exception& e) {
    return Fail("Setup Error", e.what());
  }
  return StepResult::Done;
}
