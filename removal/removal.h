// The removal engine: one removal for the wizard and the unattended run. It
// reads what is installed, and removes what it is told to: the client (its
// program group, its files but the user's database, its key) and Mixmaster
// (its files and pool, its folder, its key). A product whose removal is
// incomplete keeps its key, and the entry in Settings > Apps and the
// uninstaller stay, so that the user can finish it later.
#pragma once
#include <functional>
#include <string>

#include "sys/lines.h"

// The registry's values in UTF-8; a folder the client has in its short form
// is given by its real name (common/stored_folder.h).
struct InstalledProducts {
  bool app = false;  // the client's key is there
  bool mix = false;  // Mixmaster's key is there
  std::string appDir;  // ending in "\" (empty without a folder value)
  std::string mixDir;
  std::string programGroup;
  std::string appVersion;
  bool keepClient = false;  // the keep marker lies in the client's folder
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
// another program holds open: the client is running.
Lines HeldByRunningClient(const InstalledProducts& products, const RemovalChoices& choices);

struct RemovalOutcome {
  bool complete = true;
  // Everything is gone, the uninstaller's own program aside: it should go too
  // once it has ended.
  bool removeUninstaller = false;
};

// Receives each line of the progress log as it happens; stepEnd marks the
// lines after which a wizard lets the user follow (a heading, a step's end).
using RemovalLog = std::function<void(const std::string& line, bool stepEnd)>;
RemovalOutcome RunRemoval(const InstalledProducts& products, const RemovalChoices& choices,
                          const RemovalLog& log);
