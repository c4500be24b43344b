// The removal engine: one removal for the wizard and the unattended run. It
// reads what is installed, and removes what it is told to: the client (the
// shortcuts and files its install record names, its key) and Mixmaster (its
// files and pool, its folder, its key). A product whose removal is
// incomplete keeps its key, and the entry in Settings > Apps and the
// uninstaller stay, so that the user can finish it later. The entry goes
// last, and the uninstaller and the record only with it.
#pragma once
#include <functional>
#include <string>

#include "common/install_record_file.h"
#include "sys/lines.h"

// The registry's values in UTF-8; a folder the client has in its short form
// is given by its real name (common/stored_folder.h).
struct InstalledProducts {
  // The client's key is there, or a removal of it is unfinished: its entry
  // in Settings > Apps is still there, or (the entry deleted, the run ended
  // before the uninstaller left) the running uninstaller's own folder holds
  // this user's record of it.
  bool app = false;
  bool appKey = false;  // the client's key is there
  bool mix = false;     // Mixmaster's key is there
  std::string appDir;  // ending in "\" (empty without a folder value)
  std::string mixDir;
  std::string programGroup;
  std::string appVersion;
  bool keepClient = false;  // the keep marker lies in the client's folder
  // The install record in the client's folder. Unreadable also when it
  // records another folder or another user: it is not this installation's.
  RecordFound recordFound = RecordFound::None;
  InstallRecord record;
  std::string recordProblem;  // Unreadable: why
};
InstalledProducts ReadInstalledProducts();

// How the two folders lie to each other, compared in their short form in
// lower case. A product not installed, or a folder that cannot be resolved,
// relates to nothing.
struct FolderRelations {
  bool mixInsideApp = false;
  bool appInsideMix = false;
  bool same = false;
  bool separate = false;
};
FolderRelations RelationsOf(const InstalledProducts& products);

struct RemovalChoices {
  bool app = false;
  bool mix = false;
};
// What the wizard checks when it opens, and the unattended run removes.
RemovalChoices OpeningChoices(const InstalledProducts& products);

// The files the removal would delete, and the client's database, that
// another program holds open: the client or Mixmaster is running.
Lines HeldByRunningClient(const InstalledProducts& products, const RemovalChoices& choices);
// Whether held (of HeldByRunningClient) holds any of the client's files: the
// client is running. Otherwise only Mixmaster's are held.
bool ClientFilesHeld(const InstalledProducts& products, const Lines& held);
// What to ask the user about held: the client's text, or Mixmaster's when
// only Mixmaster's files are held.
std::string HeldFilesText(const InstalledProducts& products, const Lines& held);

struct RemovalOutcome {
  bool complete = true;
};

// Receives each line of the progress log as it happens; stepEnd marks the
// lines after which a wizard lets the user follow (a heading, a step's end).
// When everything is gone, the running uninstaller, if it is the client's,
// moves itself out of the folder before it returns (removal/self_removal.h):
// call it holding the one-at-a-time mutex.
using RemovalLog = std::function<void(const std::string& line, bool stepEnd)>;
RemovalOutcome RunRemoval(const InstalledProducts& products, const RemovalChoices& choices,
                          const RemovalLog& log);
