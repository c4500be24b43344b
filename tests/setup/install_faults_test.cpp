// Every change of an install, in turn, fails or is where the process stops
// (a kill, a power cut after the last flush), and so does every undo of its
// roll-back: afterwards the folder, the registry, the Start menu and the
// database are exactly as before, at once for a failure, after the next
// start's recovery for a stop. A journal or a kept copy that something else
// changed is never acted on blindly.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <vector>

#include "common/install_journal.h"
#include "common/journal_records.h"
#include "common/journal_rules.h"
#include "distribution/payload_writer.h"
#include "db/FileMan1.h"
#include "sys/text.h"
#include "tests/setup/setup_fixture.h"
#include "tests/sys_win/linux_link.h"

namespace {

struct Stop {};  // what a killed process leaves: no roll-back, no clean-up

enum class Fault {
  Fail,
  StopBeforeRecord,
  StopAfterRecord,
  // The last change fails; its roll-back stops after its first undo, before
  // marking it, and every next start after one undo more.
  StopInRollBack,
  // A change fails and everything is taken back, but the journal stays as it
  // was before the roll-back (a scanner held it): the next start takes
  // nothing back twice.
  JournalOutlivesRollBack,
  // The install stops once the new License.txt is in place; then something
  // else changes the journal or the copy of the old licence.
  Tampered,
};

enum class Tamper {
  None,
  OutsideBounds,
  BadChecksum,
  Link,
  TooLarge,
  Empty,
  MarkedFinished,
  OutOfReach,  // its destination on a drive that is not there
  MadeFileIsALink,
  CopyGone,
  CopyChanged,
};

// A drive letter that names no drive, or 0.
char AbsentDrive() {
  for (char d = 'Q'; d <= 'Y'; ++d)
    if (GetDriveTypeA((std::string(1, d) + ":\\").c_str()) == DRIVE_NO_ROOT_DIR) return d;
  return 0;
}

struct FaultCase {
  const char* name;
  Fault fault;
  bool reinstall;
  Tamper tamper = Tamper::None;
};

void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.name; }

using State = std::map<std::string, std::string>;

// Every file below folder, with its bytes and whether it is read-only;
// folders as such.
void AddFiles(const std::string& folder, const std::string& label, State* state) {
  for (const std::string& name : FolderNames(folder)) {
    if (name.back() == '\\') {
      (*state)[label + name] = "<folder>";
      AddFiles(folder + name, label + name, state);
    } else {
      const bool readOnly = GetFileAttributesA((folder + name).c_str()) & FILE_ATTRIBUTE_READONLY;
      (*state)[label + name] = ReadTextFile(folder + name) + (readOnly ? "<read-only>" : "");
    }
  }
}

// Every value of key and its subkeys, with its type and bytes.
void AddValues(HKEY parent, const std::string& key, State* state) {
  HKEY open = nullptr;
  if (RegOpenKeyExA(parent, key.c_str(), 0, KEY_READ, &open) != ERROR_SUCCESS) return;
  (*state)["HKCU\\" + key] = "<key>";
  char name[256];
  BYTE data[4096];
  for (DWORD i = 0;; ++i) {
    DWORD nameSize = sizeof name, dataSize = sizeof data, type = 0;
    if (RegEnumValueA(open, i, name, &nameSize, nullptr, &type, data, &dataSize) != ERROR_SUCCESS) break;
    (*state)["HKCU\\" + key + "|" + name] =
        std::to_string(type) + ":" + std::string(reinterpret_cast<char*>(data), dataSize);
  }
  for (DWORD i = 0;; ++i) {
    DWORD nameSize = sizeof name;
    if (RegEnumKeyExA(open, i, name, &nameSize, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    AddValues(parent, key + "\\" + name, state);
  }
  RegCloseKey(open);
}

// The names whose content differs between two states.
std::string Differences(const State& a, const State& b) {
  std::string names;
  for (const auto& [name, content] : a)
    if (!b.count(name) || b.at(name) != content) names += " " + name;
  for (const auto& [name, content] : b)
    if (!a.count(name)) names += " +" + name;
  return names;
}

// A file as it stands while another handle writes it.
std::string ReadShared(const std::string& path) {
  std::string bytes;
  HANDLE f = CreateFileA(path.c_str(), GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  char buffer[4096];
  DWORD n = 0;
  while (f != INVALID_HANDLE_VALUE && ReadFile(f, buffer, sizeof buffer, &n, nullptr) && n > 0)
    bytes.append(buffer, n);
  if (f != INVALID_HANDLE_VALUE) CloseHandle(f);
  return bytes;
}

class InstallFaults : public SetupTest, public ::testing::WithParamInterface<FaultCase> {
 protected:
  void SetUp() override {
    MakeDistribution();
    if (GetParam().reinstall) {
      // An older installation with the user's own edits to its template.
      WriteTextFile(dist / "License.txt", "an older licence");
      ASSERT_EQ(SetInitValue("Version", "0.8", dist / "CV.ini"), 0);
      ASSERT_TRUE(Install(Choices(target)).Done());
      const Lines edited = {"From: Jane Doe <jane@example.com>", "X-Mine: kept"};
      ASSERT_EQ(PutRecordStrings("default\xFF" "article", &edited, target + "\\CV.dbc"), 0);
      WriteTextFile(dist / "License.txt", "licence");
      ASSERT_EQ(SetInitValue("Version", kVersion, dist / "CV.ini"), 0);
      // Made read-only by its user: a roll-back gives it back so.
      ASSERT_TRUE(SetFileAttributesA((target + "\\ReadMe.txt").c_str(), FILE_ATTRIBUTE_READONLY));
    }
    choices = Choices(target);
    choices.host = "smtp2.example.com";  // the templates change too
  }
  void TearDown() override { InstallJournal::SetRecordHook(nullptr); }

  State Snapshot() const {
    State state;
    AddFiles(dest.Path(), "", &state);
    AddFiles(GroupFolder(), "group\\", &state);
    state["group"] = GetFileAttributesA(GroupFolder().c_str()) == INVALID_FILE_ATTRIBUTES ? "absent" : "present";
    state["journal"] = ReadTextFile(JournalPath());
    AddValues(HKEY_CURRENT_USER, kClientKey, &state);
    AddValues(HKEY_CURRENT_USER, kAppsEntryKey, &state);
    return state;
  }

  void StopOrFailEachChange();
  void StopEachUndo();
  void TamperAfterAStop();

  const std::string target = dest / "Apps\\Corvaline";
  InstallChoices choices;
};

void InstallFaults::StopOrFailEachChange() {
  const Fault fault = GetParam().fault;
  const bool failing = fault == Fault::Fail || fault == Fault::JournalOutlivesRollBack;
  size_t points = 0;
  for (size_t at = 0;; ++at) {
    const State before = Snapshot();
    size_t next = 0, current = 0;
    bool hit = false;
    std::string journalBeforeRollBack;
    InstallJournal::SetRecordHook([&](const JournalRecord&, bool written) {
      if (!written) current = next++;
      if (current != at || written != (fault == Fault::StopAfterRecord)) return true;
      hit = true;
      journalBeforeRollBack = ReadShared(JournalPath());
      if (failing) return false;
      throw Stop();
    });
    Installed run;
    try {
      run = Install(choices);
    } catch (const Stop&) {
      ASSERT_FALSE(failing);
    }
    InstallJournal::SetRecordHook(nullptr);
    if (!hit) {
      // Past the last change: the install went through.
      ASSERT_TRUE(run.Done()) << run.outcome.message;
      break;
    }
    ++points;
    if (failing) {
      EXPECT_EQ(run.outcome.result, InstallResult::RolledBack) << "change " << at;
    }
    if (!failing && GetParam().reinstall) {
      // The uninstaller the Apps entry names is there whenever the run stops.
      EXPECT_EQ(ReadTextFile(target + "\\UninstCV.exe"), ReadTextFile(dist / "setup.exe"))
          << "change " << at;
    }
    if (fault == Fault::JournalOutlivesRollBack) {
      EXPECT_EQ(Differences(before, Snapshot()), "") << "change " << at;
      const std::string journal = JournalPath();
      CreateDirectoryA(journal.substr(0, journal.rfind('\\')).c_str(), nullptr);
      WriteTextFile(journal, journalBeforeRollBack);
    }
    if (fault != Fault::Fail) {
      const Recovery recovery = RecoverInterruptedInstall(JournalPath());
      EXPECT_NE(recovery.outcome, Recovery::Outcome::None) << "change " << at;
      EXPECT_TRUE(recovery.left.empty()) << "change " << at << ": " << recovery.left.front();
      if (recovery.outcome == Recovery::Outcome::Committed) {
        // Stopped once the commit was on the disk: the install is whole, and
        // only the copies kept for a roll-back were left to remove.
        const State after = Snapshot();
        EXPECT_EQ(after.at("journal"), "<missing>");
        for (const auto& [name, content] : after) EXPECT_EQ(name.find("~cv"), std::string::npos) << name;
        EXPECT_EQ(FolderNames(GroupFolder()).size(), 5u);
        break;
      }
      EXPECT_EQ(recovery.outcome, Recovery::Outcome::RolledBack) << "change " << at;
    }
    const std::string differences = Differences(before, Snapshot());
    EXPECT_EQ(differences, "") << "change " << at;
    if (!differences.empty()) break;
  }
  // A first install makes well over a dozen changes, a reinstall more.
  EXPECT_GT(points, 15u);
}

void InstallFaults::StopEachUndo() {
  const State before = Snapshot();
  // The last change fails, so that everything goes back; the roll-back stops
  // once it has made its first undo, before it marks it.
  JournalRecord unmarked;
  InstallJournal::SetRecordHook([&](const JournalRecord& r, bool written) {
    if (r.op == "commit") return false;
    if (r.op != "undone" || written) return true;
    unmarked = r;
    throw Stop();
  });
  try {
    Install(choices);
  } catch (const Stop&) {
  }
  ASSERT_EQ(unmarked.op, "undone");
  // Each next start makes that undo again and marks it, then makes one more
  // and stops before marking that, until one gets to the end.
  size_t undos = 1;
  for (;; ++undos) {
    JournalRecord first, next;
    InstallJournal::SetRecordHook([&](const JournalRecord& r, bool written) {
      if (r.op != "undone" || written) return true;
      if (first.op.empty()) {
        first = r;
        return true;
      }
      next = r;
      throw Stop();
    });
    Recovery recovery;
    try {
      recovery = RecoverInterruptedInstall(JournalPath());
    } catch (const Stop&) {
    }
    InstallJournal::SetRecordHook(nullptr);
    EXPECT_EQ(first, unmarked) << "undo " << undos;
    if (next.op.empty()) {
      EXPECT_EQ(recovery.outcome, Recovery::Outcome::RolledBack);
      EXPECT_EQ(recovery.left, Lines{});
      break;
    }
    unmarked = next;
  }
  EXPECT_EQ(Differences(before, Snapshot()), "");
  EXPECT_GT(undos, 15u);
}

void InstallFaults::TamperAfterAStop() {
  const std::string licence = target + "\\License.txt";
  const std::string copy = licence + ".~cv1";
  const std::string journal = JournalPath();
  const std::string users = dest / "thesis.txt";
  WriteTextFile(users, "the user's own");
  bool placed = false;
  InstallJournal::SetRecordHook([&](const JournalRecord& r, bool written) {
    if (!written && placed) throw Stop();
    if (written && r == JournalRecord{"file", {licence}}) placed = true;
    return true;
  });
  try {
    Install(choices);
    ADD_FAILURE() << "the install went through";
  } catch (const Stop&) {
  }
  InstallJournal::SetRecordHook(nullptr);
  ASSERT_EQ(ReadTextFile(licence), "licence");
  ASSERT_EQ(ReadTextFile(copy), "an older licence");

  std::string bytes = ReadTextFile(journal);
  std::unique_ptr<LinuxLink> link;
  Recovery::Outcome expected = Recovery::Outcome::Refused;
  switch (GetParam().tamper) {
    case Tamper::None: break;
    case Tamper::OutsideBounds:
      WriteTextFile(journal, bytes + EncodeJournalRecord({"file", {users}}));
      break;
    case Tamper::BadChecksum:  // in its last record, which is whole
      bytes[bytes.rfind("License.txt")] ^= 0x01;  // "Micense.txt": as good a name
      WriteTextFile(journal, bytes);
      break;
    case Tamper::Link:
      ASSERT_TRUE(DeleteFileA(journal.c_str()));
      link = std::make_unique<LinuxLink>(journal, users);
      break;
    case Tamper::TooLarge:  // whole records, then what a crash may leave of a record
      SetFileSize(journal, kMaxJournalBytes + 1);
      expected = Recovery::Outcome::SetAside;
      break;
    case Tamper::Empty:
      WriteTextFile(journal, "");
      expected = Recovery::Outcome::SetAside;
      break;
    case Tamper::MarkedFinished:
      WriteTextFile(journal, bytes + EncodeJournalRecord({"finished", {}}));
      expected = Recovery::Outcome::Finished;
      break;
    case Tamper::OutOfReach: {
      const std::string away = std::string(1, AbsentDrive()) + ":\\Corvaline";
      ASSERT_NE(away[0], 0);
      bytes = std::string(kJournalHeader) + "\r\n" +
              EncodeJournalRecord(BoundsRecord({away, "", kClientKey, kAppsEntryKey})) +
              EncodeJournalRecord({"file", {away + "\\CV.exe"}});
      WriteTextFile(journal, bytes);
      expected = Recovery::Outcome::Left;
      break;
    }
    case Tamper::MadeFileIsALink:
      link = std::make_unique<LinuxLink>(target + "\\notes.txt", users);
      WriteTextFile(journal, bytes + EncodeJournalRecord({"file", {target + "\\notes.txt"}}));
      expected = Recovery::Outcome::Left;
      break;
    case Tamper::CopyGone:
      ASSERT_TRUE(DeleteFileA(copy.c_str()));
      expected = Recovery::Outcome::Left;
      break;
    case Tamper::CopyChanged:
      WriteTextFile(copy, "an older licence, altered");
      expected = Recovery::Outcome::Left;
      break;
  }
  State tampered = Snapshot();
  const Recovery recovery = RecoverInterruptedInstall(journal);
  EXPECT_EQ(recovery.outcome, expected) << recovery.reason;
  EXPECT_EQ(ReadTextFile(users), "the user's own");
  switch (expected) {
    case Recovery::Outcome::Refused:
      // Nothing acted on, the journal as it was, and no install begins over it.
      EXPECT_NE(recovery.reason.find(journal), std::string::npos) << recovery.reason;
      EXPECT_EQ(Differences(tampered, Snapshot()), "");
      {
        const Installed again = Install(choices);
        EXPECT_EQ(again.outcome.result, InstallResult::RolledBack);
        EXPECT_EQ(
            again.outcome.message.rfind("An earlier installation could not be rolled back", 0), 0u)
            << again.outcome.message;
      }
      EXPECT_EQ(Differences(tampered, Snapshot()), "");
      break;
    case Recovery::Outcome::SetAside:
      // Renamed out of the way, and said once.
      EXPECT_EQ(recovery.keptAs, journal + ".~cv1");
      tampered["journal"] = "<missing>";
      EXPECT_EQ(Differences(tampered, Snapshot()), "");
      EXPECT_EQ(RecoverInterruptedInstall(journal).outcome, Recovery::Outcome::None);
      break;
    case Recovery::Outcome::Finished:
      // Only the journal goes: a finished journal has nothing left to take back.
      tampered["journal"] = "<missing>";
      EXPECT_EQ(Differences(tampered, Snapshot()), "");
      break;
    default: break;
  }
  if (expected != Recovery::Outcome::Left) return;
  // The journal stays for the next start, which finds the same.
  EXPECT_NE(ReadTextFile(journal), "<missing>");
  EXPECT_EQ(RecoverInterruptedInstall(journal).left, recovery.left);
  const auto leaves = [&](const std::string& path) {
    return std::find(recovery.left.begin(), recovery.left.end(), path) != recovery.left.end();
  };
  switch (GetParam().tamper) {
    case Tamper::OutOfReach:  // nothing is done while it is away
      EXPECT_EQ(ReadTextFile(journal), bytes);
      EXPECT_NE(recovery.reason.find("cannot be reached"), std::string::npos) << recovery.reason;
      break;
    case Tamper::MadeFileIsALink:  // the link stays, what it leads to too
      EXPECT_TRUE(leaves(target + "\\notes.txt"));
      break;
    default:  // the new licence stays with what is left of its copy, both reported
      EXPECT_EQ(ReadTextFile(licence), "licence");
      EXPECT_TRUE(leaves(licence));
      EXPECT_TRUE(leaves(copy));
      break;
  }
}

TEST_P(InstallFaults, EveryChangeTakenBackExactly) {
  switch (GetParam().fault) {
    case Fault::StopInRollBack: return StopEachUndo();
    case Fault::Tampered: return TamperAfterAStop();
    default: return StopOrFailEachChange();
  }
}

// The sample distribution as one file: a program (this test's own, a plain
// Windows program) carrying the distribution's files, setup.exe among them.
std::string MakeOneFile(const ScratchDir& dist, const std::string& path) {
  struct StringSink : ByteSink {
    std::string bytes;
    bool Write(const void* data, size_t count) override {
      bytes.append(static_cast<const char*>(data), count);
      return true;
    }
  };
  char self[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  const std::string program = ReadTextFile(self);
  const char* names[] = {"setup.exe", "CV.exe", "CV.ini", "License.txt", "ReadMe.txt", "QuickStart.rtf"};
  std::vector<std::string> contents;
  for (const char* name : names) contents.push_back(ReadTextFile(dist / name));
  MemorySource programSource(program);
  std::vector<std::unique_ptr<MemorySource>> sources;
  std::vector<PackFile> files;
  for (size_t i = 0; i < contents.size(); ++i) {
    sources.push_back(std::make_unique<MemorySource>(contents[i]));
    files.push_back({names[i], sources.back().get()});
  }
  StringSink out;
  EXPECT_TRUE(WritePayload(programSource, files, out).ok());
  WriteTextFile(path, out.bytes);
  return path;
}

// Another program makes a file of ours just after the journal says setup
// makes it, in either form of the distribution: the copy or the unpacking
// fails, and the roll-back keeps that program's file and so its folder.
TEST_F(SetupTest, AFileMadeMeanwhileByAnotherProgramSurvivesTheRollBack) {
  MakeDistribution();
  const std::string oneFile = MakeOneFile(dist, dest / "Corvaline-setup.exe");
  for (const std::string& program : {std::string(), oneFile}) {
    const std::string target = dest / (program.empty() ? "Folder" : "OneFile");
    const std::string readMe = target + "\\ReadMe.txt";
    InstallJournal::SetRecordHook([&](const JournalRecord& record, bool written) {
      if (written && record == JournalRecord{"file", {readMe}})
        WriteTextFile(readMe, "another program's");
      return true;
    });
    InstallChoices choices = Choices(target);
    choices.program = program;
    const Installed run = Install(choices);
    InstallJournal::SetRecordHook(nullptr);
    EXPECT_EQ(run.outcome.result, InstallResult::Left) << target;
    EXPECT_EQ(run.outcome.left, Lines{target});
    EXPECT_EQ(FolderNames(target + "\\"), Lines{"ReadMe.txt"});
    EXPECT_EQ(ReadTextFile(readMe), "another program's");
    // That program's file gone, the next start finishes the roll-back.
    DeleteFileA(readMe.c_str());
    EXPECT_EQ(RecoverInterruptedInstall(JournalPath()).outcome, Recovery::Outcome::RolledBack);
    EXPECT_EQ(GetFileAttributesA(target.c_str()), INVALID_FILE_ATTRIBUTES);
  }
}

// A folder stands where an installed file goes: the copy fails alike in
// either form of the distribution, with the system's reason and the file, never
// as a damaged download, and everything is taken back.
TEST_F(SetupTest, AFolderWhereAFileGoesIsNamedInEitherForm) {
  MakeDistribution();
  const std::string oneFile = MakeOneFile(dist, dest / "Corvaline-setup.exe");
  std::vector<std::string> said;
  for (const std::string& program : {std::string(), oneFile}) {
    const std::string target = dest / (program.empty() ? "Folder" : "OneFile");
    MakeDir(target);
    MakeDir(target + "\\ReadMe.txt");
    InstallChoices choices = Choices(target);
    choices.program = program;
    choices.otherFilesAccepted = true;
    const Installed run = Install(choices);
    EXPECT_EQ(run.outcome.result, InstallResult::RolledBack) << target;
    EXPECT_EQ(run.outcome.caption, "Copy Failed");
    EXPECT_EQ(run.outcome.message.rfind("System Error: ", 0), 0u) << run.outcome.message;
    EXPECT_NE(run.outcome.message.find("\nFile: " + target + "\\ReadMe.txt"), std::string::npos)
        << run.outcome.message;
    said.push_back(ReplaceAll(run.outcome.message, target, "<target>"));
    EXPECT_EQ(FolderNames(target + "\\"), Lines{"ReadMe.txt\\"});
  }
  EXPECT_EQ(said[0], said[1]);
}

const FaultCase kCases[] = {
    {"FirstInstallFails", Fault::Fail, false},
    {"FirstInstallStopsBeforeARecord", Fault::StopBeforeRecord, false},
    {"FirstInstallStopsAfterARecord", Fault::StopAfterRecord, false},
    {"ReinstallFails", Fault::Fail, true},
    {"ReinstallStopsBeforeARecord", Fault::StopBeforeRecord, true},
    {"ReinstallStopsAfterARecord", Fault::StopAfterRecord, true},
    {"FirstInstallRollBackStops", Fault::StopInRollBack, false},
    {"ReinstallRollBackStops", Fault::StopInRollBack, true},
    {"FirstInstallJournalOutlivesRollBack", Fault::JournalOutlivesRollBack, false},
    {"ReinstallJournalOutlivesRollBack", Fault::JournalOutlivesRollBack, true},
    {"JournalNamesAFileOutsideItsBounds", Fault::Tampered, true, Tamper::OutsideBounds},
    {"JournalFailsItsChecksum", Fault::Tampered, true, Tamper::BadChecksum},
    {"JournalIsALinkToAUsersFile", Fault::Tampered, true, Tamper::Link},
    {"JournalTooLargeToRead", Fault::Tampered, true, Tamper::TooLarge},
    {"JournalOfZeroBytes", Fault::Tampered, true, Tamper::Empty},
    {"JournalMarkedFinished", Fault::Tampered, true, Tamper::MarkedFinished},
    {"JournalOfADriveThatIsAway", Fault::Tampered, true, Tamper::OutOfReach},
    {"MadeFileReplacedByALink", Fault::Tampered, true, Tamper::MadeFileIsALink},
    {"KeptCopyDeleted", Fault::Tampered, true, Tamper::CopyGone},
    {"KeptCopyChanged", Fault::Tampered, true, Tamper::CopyChanged},
};

INSTANTIATE_TEST_SUITE_P(Install, InstallFaults, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<FaultCase>& info) { return info.param.name; });

}  // namespace
