// What the wizard shows when it opens: which entries are checked and live,
// by installed components, the keep marker and how the two folders lie.
#include <gtest/gtest.h>

#include "tests/sys_win/scratch.h"
#include "tests/uninstall/uninstall_fixture.h"
#include "uninstall/UninstDlg.h"

namespace {

enum class Folders { None, Separate, MixInsideApp, AppInsideMix, Same };

struct OpeningRow {
  const char* name;
  bool client, mix, marker;
  Folders folders;
  const char* app;  // AppEntries: "on, live", "off, grey"...
  const char* mixEntry;
  bool next;
};

// Test names carry the row name, not its bytes.
void PrintTo(const OpeningRow& row, std::ostream* os) { *os << row.name; }

const OpeningRow kRows[] = {
    {"BothSeparate", true, true, false, Folders::Separate, "on, live", "on, live", true},
    {"BothMixInsideApp", true, true, false, Folders::MixInsideApp, "on, live", "on, grey", true},
    {"BothAppInsideMix", true, true, false, Folders::AppInsideMix, "on, live", "on, live", true},
    {"BothSame", true, true, false, Folders::Same, "on, live", "on, grey", true},
    {"KeptSeparate", true, true, true, Folders::Separate, "off, grey", "on, live", true},
    {"KeptAppInsideMix", true, true, true, Folders::AppInsideMix, "on, grey", "on, live", true},
    {"KeptSame", true, true, true, Folders::Same, "off, grey", "on, grey", true},
    {"ClientOnly", true, false, false, Folders::None, "on, live", "off, grey", true},
    {"ClientOnlyKept", true, false, true, Folders::None, "off, grey", "off, grey", false},
    {"MixmasterOnly", false, true, false, Folders::None, "off, grey", "on, live", true},
};

class UninstOpeningTable : public UninstallTest, public ::testing::WithParamInterface<OpeningRow> {};

TEST_P(UninstOpeningTable, EntriesAndNextFollowTheInstallation) {
  const OpeningRow& row = GetParam();
  ScratchDir root("opening");
  std::string app = root / "Corvaline Client";
  std::string mix = root / "Mixmaster Remailer";
  switch (row.folders) {
    case Folders::MixInsideApp: mix = app + "\\Mixmaster Remailer"; break;
    case Folders::AppInsideMix: app = mix + "\\Corvaline Client"; break;
    case Folders::Same: mix = app; break;
    default: break;
  }
  MakeDirs(app);
  MakeDirs(mix);
  if (row.marker) WriteTextFile(app + "\\uncv.dsk", "");
  // Setup writes the folder without a backslash; accept one as well.
  if (row.client) InstallClient(app);
  if (row.mix) InstallMixmaster(mix + "\\");

  TUninstWiz wizard;
  EXPECT_EQ(BoxState(wizard.AppEntries), row.app);
  EXPECT_EQ(BoxState(wizard.MixEntries), row.mixEntry);
  EXPECT_EQ(wizard.NextBtn.Enabled(), row.next);
  EXPECT_FALSE(wizard.BackBtn.Enabled());
  EXPECT_EQ(wizard.Notebook.ActivePage(), "Start");
  EXPECT_TRUE(boxes.Count() == 0u);
}

INSTANTIATE_TEST_SUITE_P(Rows, UninstOpeningTable, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<OpeningRow>& info) {
                           return std::string(info.param.name);
                         });

using UninstOpening = UninstallTest;

TEST_F(UninstOpening, NothingInstalledLeavesOnlyClosing) {
  TUninstWiz wizard;
  EXPECT_FALSE(wizard.IsAppInstalled());
  EXPECT_FALSE(wizard.IsMixInstalled());
  EXPECT_FALSE(wizard.NextBtn.Enabled());
  EXPECT_FALSE(wizard.Label24.Enabled());
  EXPECT_EQ(wizard.RichEdit7.GetLines(),
            Lines({"Neither Corvaline nor Mixmaster are installed on this machine!",
                   "Nothing to un-install!"}));
  // The entries keep what the form was built with.
  EXPECT_EQ(wizard.AppEntries.Text(), "Corvaline");
  EXPECT_EQ(wizard.MixEntries.Text(), "Mixmaster");
}

TEST_F(UninstOpening, CaptionsCarryTheFoldersInLowerCase) {
  ScratchDir root("captions");
  const std::string app = root / "Corvaline CLIENT";
  MakeDirs(app);
  InstallClient(app + "\\", "Corvaline", "0.9b0");

  TUninstWiz wizard;
  EXPECT_EQ(wizard.AppEntries.Text(), "Corvaline  { " + Lower(app) + " }");
  EXPECT_EQ(wizard.MixEntries.Text(), "Mixmaster    { not installed }");
  EXPECT_EQ(wizard.Appname.Text(), "Corvaline 0.9b0");
  EXPECT_EQ(wizard.Label25.Text(), "Un-Install Corvaline");
  EXPECT_EQ(wizard.GetAppDir(), app + "\\");
}

TEST_F(UninstOpening, MixmasterAloneShowsTheClientNotInstalled) {
  ScratchDir root("mixcaption");
  const std::string mix = root / "Mix";
  MakeDirs(mix);
  InstallMixmaster(mix);

  TUninstWiz wizard;
  EXPECT_EQ(wizard.MixEntries.Text(), "Mixmaster    { " + Lower(mix) + " }");
  EXPECT_EQ(wizard.AppEntries.Text(), "Corvaline  { not installed }");
  EXPECT_EQ(wizard.Appname.Text(), "Corvaline ");
}

// The relations compare short forms in lower case: one folder typed long,
// short or in another letter case is one folder; a folder that does not exist
// has no short form and relates to nothing.
enum class Spelling { AsMade, Short, Upper };

struct RelationRow {
  const char* name;
  const char* app;  // below a scratch folder
  Spelling appSpelling;
  const char* mix;
  Spelling mixSpelling;
  bool mixExists;
  const char* relation;  // every relation that holds: "same", "mix in app"...
  const char* mixEntry;
};

void PrintTo(const RelationRow& row, std::ostream* os) { *os << row.name; }

const RelationRow kRelations[] = {
    {"SameThroughShortName", "Corvaline and Mixmaster", Spelling::AsMade,
     "Corvaline and Mixmaster", Spelling::Short, true, "same", "on, grey"},
    {"SameInAnotherLetterCase", "Corvaline Home", Spelling::AsMade, "Corvaline Home\\",
     Spelling::Upper, true, "same", "on, grey"},
    {"MixInsideAppThroughShortNames", "Corvaline Home", Spelling::Short,
     "Corvaline Home\\Mixmaster Remailer", Spelling::AsMade, true, "mix in app", "on, grey"},
    {"AppInsideMixThroughShortNames", "Mixmaster Home\\Corvaline Client", Spelling::AsMade,
     "Mixmaster Home", Spelling::Short, true, "app in mix", "on, live"},
    // "mix2" starts with the text "mix" but does not lie inside it.
    {"NameExtendingAnotherIsSeparate", "mix", Spelling::AsMade, "mix2", Spelling::AsMade, true,
     "separate", "on, live"},
    {"MissingFolderInsideRelatesToNothing", "Corvaline Home", Spelling::AsMade,
     "Corvaline Home\\Gone", Spelling::AsMade, false, "none", "on, live"},
};

std::string Spelt(const std::string& path, Spelling spelling) {
  switch (spelling) {
    case Spelling::Short: {
      const std::string shortPath = ShortForm(path);
      EXPECT_NE(Lower(shortPath), Lower(path)) << "no distinct short form for " << path;
      return shortPath;
    }
    case Spelling::Upper: return Upper(path);
    default: return path;
  }
}

std::string Relations(const TUninstWiz& wizard) {
  std::string held;
  auto add = [&](bool holds, const char* name) {
    if (holds) held += (held.empty() ? "" : ", ") + std::string(name);
  };
  const FolderRelations r = RelationsOf(ReadInstalledProducts());
  add(r.same, "same");
  add(r.mixInsideApp, "mix in app");
  add(r.appInsideMix, "app in mix");
  add(r.separate, "separate");
  return held.empty() ? "none" : held;
}

class UninstRelations : public UninstallTest, public ::testing::WithParamInterface<RelationRow> {};

TEST_P(UninstRelations, FoldersRelateByTheirShortForms) {
  const RelationRow& row = GetParam();
  ScratchDir root("relations");
  const std::string app = root / row.app, mix = root / row.mix;
  MakeDirs(app);
  if (row.mixExists) MakeDirs(mix);
  InstallClient(Spelt(app, row.appSpelling));
  InstallMixmaster(Spelt(mix, row.mixSpelling));

  TUninstWiz wizard;
  EXPECT_EQ(Relations(wizard), row.relation);
  EXPECT_EQ(BoxState(wizard.AppEntries), "on, live");
  EXPECT_EQ(BoxState(wizard.MixEntries), row.mixEntry);
}

INSTANTIATE_TEST_SUITE_P(Rows, UninstRelations, ::testing::ValuesIn(kRelations),
                         [](const ::testing::TestParamInfo<RelationRow>& info) {
                           return std::string(info.param.name);
                         });

TEST_F(UninstOpening, MissingClientFolderStillOffersTheClient) {
  ScratchDir root("missingapp");
  InstallClient(root / "Never Made");

  TUninstWiz wizard;
  EXPECT_EQ(BoxState(wizard.AppEntries), "on, live");
  EXPECT_EQ(BoxState(wizard.MixEntries), "off, grey");
  EXPECT_TRUE(wizard.NextBtn.Enabled());
}

// Values of another type, as a damaged installation may hold them, read as
// missing: the wizard opens and removes what the other values name. A
// folder value of another type names no folder: nothing says Mixmaster's
// files are gone, and its key stays.
TEST_F(UninstOpening, ValuesOfAnotherTypeReadAsMissing) {
  ScratchDir root("valuetype");
  WriteTextFile(root / "cv.exe", "x");
  InstallClient(root.Path());
  WriteNumber(kClientKey, "Version", 1);
  WriteNumber(kClientKey, "Program Group", 2);
  WriteNumber(kMixKey, "MixDir", 3);

  TUninstWiz wizard;
  EXPECT_EQ(wizard.Appname.Text(), "Corvaline ");
  EXPECT_EQ(BoxState(wizard.AppEntries), "on, live");
  EXPECT_EQ(wizard.MixEntries.Text(), "Mixmaster    { not installed }");
  wizard.RunRemoval();
  EXPECT_EQ(FolderNames(root.Path()), Lines());
  EXPECT_FALSE(KeyExists(kClientKey));
  EXPECT_TRUE(KeyExists(kMixKey));
  EXPECT_EQ(wizard.Result(), ExitCode::FailedSomethingLeft);
}

// A key without its folder value: nothing to name, nothing to relate.
TEST_F(UninstOpening, KeyWithoutFolderCountsAsNotInstalledInTheCaption) {
  CreateEmptyKey(kClientKey);
  ScratchDir root("nofolder");
  InstallMixmaster(root.Path());

  TUninstWiz wizard;
  EXPECT_TRUE(wizard.IsAppInstalled());
  EXPECT_EQ(wizard.AppEntries.Text(), "Corvaline  { not installed }");
  EXPECT_EQ(BoxState(wizard.AppEntries), "on, live");
  EXPECT_EQ(BoxState(wizard.MixEntries), "on, live");
  EXPECT_EQ(Relations(wizard), "none");
}

}  // namespace
