// Every change of an install, in turn, fails or is where the process stops
// (a kill, a power cut after the last flush): afterwards the folder, the
// registry, the Start menu and the database are exactly as before, at once
// for a failure, after the next start's recovery for a stop.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <vector>

#include "common/install_journal.h"
#include "common/journal_records.h"
#include "distribution/payload_writer.h"
#include "db/FileMan1.h"
#include "tests/setup/setup_fixture.h"

namespace {

struct Stop {};  // what a killed process leaves: no roll-back, no clean-up

enum class Fault { Fail, StopBeforeRecord, StopAfterRecord };

struct FaultCase {
  const char* name;
  Fault fault;
  bool reinstall;
};

void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.name; }

using State = std::map<std::string, std::string>;

// Every file below folder, with its bytes; folders as such.
void AddFiles(const std::string& folder, const std::string& label, State* state) {
  for (const std::string& name : FolderNames(folder)) {
    if (name.back() == '\\') {
      (*state)[label + name] = "<folder>";
      AddFiles(folder + name, label + name, state);
    } else {
      (*state)[label + name] = ReadTextFile(folder + name);
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
    }
  }
  void TearDown() override { InstallJournal::SetRecordHook(nullptr); }

  State Snapshot() const {
    State state;
    AddFiles(dest.Path(), "", &state);
    AddFiles(GroupFolder(), "group\\", &state);
    state["group"] = GetFileAttributesA(GroupFolder().c_str()) == INVALID_FILE_ATTRIBUTES ? "absent" : "present";
    const std::string journal = InstallJournalPath();
    state["journal"] = ReadTextFile(journal);
    AddValues(HKEY_CURRENT_USER, kClientKey, &state);
    AddValues(HKEY_CURRENT_USER, kAppsEntryKey, &state);
    return state;
  }

  const std::string target = dest / "Apps\\Corvaline";
};

TEST_P(InstallFaults, EveryChangeTakenBackExactly) {
  const Fault fault = GetParam().fault;
  InstallChoices choices = Choices(target);
  choices.host = "smtp2.example.com";  // the templates change too
  size_t points = 0;
  for (size_t at = 0;; ++at) {
    const State before = Snapshot();
    bool hit = false;
    InstallJournal::SetRecordHook([&](size_t record, bool written) {
      if (record != at || written != (fault == Fault::StopAfterRecord)) return true;
      hit = true;
      if (fault == Fault::Fail) return false;
      throw Stop();
    });
    Installed run;
    try {
      run = Install(choices);
    } catch (const Stop&) {
      ASSERT_NE(fault, Fault::Fail);
    }
    InstallJournal::SetRecordHook(nullptr);
    if (!hit) {
      // Past the last change: the install went through.
      ASSERT_TRUE(run.Done()) << run.outcome.message;
      break;
    }
    ++points;
    if (fault == Fault::Fail) {
      EXPECT_EQ(run.outcome.result, InstallResult::RolledBack) << "change " << at;
    } else {
      const Recovery recovery = RecoverInterruptedInstall(InstallJournalPath());
      EXPECT_TRUE(recovery.found) << "change " << at;
      EXPECT_TRUE(recovery.left.empty()) << "change " << at << ": " << recovery.left.front();
      if (recovery.committed) {
        // Stopped once the commit was on the disk: the install is whole, and
        // only the copies kept for a roll-back were left to remove.
        const State after = Snapshot();
        EXPECT_EQ(after.at("journal"), "<missing>");
        for (const auto& [name, content] : after) EXPECT_EQ(name.find("~cv"), std::string::npos) << name;
        EXPECT_EQ(FolderNames(GroupFolder()).size(), 5u);
        break;
      }
    }
    const std::string differences = Differences(before, Snapshot());
    EXPECT_EQ(differences, "") << "change " << at;
    if (!differences.empty()) break;
  }
  // A first install makes well over a dozen changes, a reinstall more.
  EXPECT_GT(points, 15u);
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
  // The journal as it stands, read beside its writer.
  auto lastRecord = [] {
    std::string bytes;
    HANDLE f = CreateFileA(InstallJournalPath().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_EXISTING, 0, nullptr);
    char buffer[4096];
    DWORD n = 0;
    while (f != INVALID_HANDLE_VALUE && ReadFile(f, buffer, sizeof buffer, &n, nullptr) && n > 0)
      bytes.append(buffer, n);
    if (f != INVALID_HANDLE_VALUE) CloseHandle(f);
    std::vector<JournalRecord> records;
    return DecodeJournal(bytes, &records) && !records.empty() ? records.back() : JournalRecord();
  };
  const std::string oneFile = MakeOneFile(dist, dest / "Corvaline-setup.exe");
  for (const std::string& program : {std::string(), oneFile}) {
    const std::string target = dest / (program.empty() ? "Folder" : "OneFile");
    const std::string readMe = target + "\\ReadMe.txt";
    InstallJournal::SetRecordHook([&](size_t, bool written) {
      if (written && lastRecord() == JournalRecord{"file", {readMe}}) WriteTextFile(readMe, "another program's");
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
    EXPECT_TRUE(RecoverInterruptedInstall(InstallJournalPath()).left.empty());
    EXPECT_EQ(GetFileAttributesA(target.c_str()), INVALID_FILE_ATTRIBUTES);
  }
}

const FaultCase kCases[] = {
    {"FirstInstallFails", Fault::Fail, false},
    {"FirstInstallStopsBeforeARecord", Fault::StopBeforeRecord, false},
    {"FirstInstallStopsAfterARecord", Fault::StopAfterRecord, false},
    {"ReinstallFails", Fault::Fail, true},
    {"ReinstallStopsBeforeARecord", Fault::StopBeforeRecord, true},
    {"ReinstallStopsAfterARecord", Fault::StopAfterRecord, true},
};

INSTANTIATE_TEST_SUITE_P(Install, InstallFaults, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<FaultCase>& info) { return info.param.name; });

}  // namespace
