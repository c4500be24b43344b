// Peer benchmark at size: distributions of the sample's files and generated
// ones (50 or 200 MiB, incompressible or compressible), each installed without
// a window (/S) by the one-file setup, by setup.exe in its folder form and by
// the NSIS installer built with the same files, beside Wine's xcopy copying
// the folder (the floor); and the first window of the one-file setup and of
// the NSIS installer, ended once shown. Interleaved rounds in one Wine
// session: each round runs every set, each set's kinds in turn, starting with
// the next one each round. Every install is a first installation into a fresh
// folder with no client key and no program group, checked afterwards. Prints
// Markdown tables: per set the medians and the ratios, then every round.
//   bench_peer_sizes --set=LABEL|DIST|ONE_FILE|NSIS|GOAL ... [--rounds=N]
// DIST is the set's distribution folder (setup.exe beside its files), ONE_FILE
// its one-file setup, NSIS the NSIS installer carrying the same files; GOAL
// the most the one-file /S may take of NSIS's ("-": none), which also sets
// the first window's goal (1.0 of NSIS's).
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "sys/path.h"
#include "tests/bench/bench_paths.h"
#include "tests/bench/install_timing.h"
#include "tests/bench/installation_check.h"
#include "tests/bench/nsis_wizard.h"
#include "tests/bench/process_probe.h"
#include "tests/bench/stats.h"

namespace {

using namespace std::chrono_literals;
using automation::Process;
using bench::Clock;
using bench::FileSize;
using bench::Ms;
using bench::PlainFiles;
using bench::RatioText;
using bench::SpreadText;
using bench::Thousands;

constexpr auto kStartTimeout = 120s;
constexpr automation::Duration kInstallTimeout = 600s;
constexpr double kFirstWindowGoal = 1.0;  // of NSIS's

enum Kind { kOneFile, kFolder, kNsis, kXcopy, kKinds };
const char* const kKindNames[kKinds] = {"one-file", "folder", "NSIS", "xcopy"};
enum Shown { kShownOneFile, kShownNsis, kShownKinds };

struct Set {
  std::string label, dist, oneFile, nsis;
  double goal = 0;  // the most one-file /S may take of NSIS /S; 0: none
  std::vector<double> silent[kKinds];       // ms, each a round
  std::vector<double> shown[kShownKinds];   // ms to the first window, each a round
  uint64_t uninstaller[kXcopy] = {};        // bytes of the installed UninstCV.exe
};

// Every file of the distribution arrived whole: setup.exe as the uninstaller
// (NSIS writes its own), the file list with ours.
void ExpectFilesOf(const std::string& dist, const std::string& dest, Kind kind) {
  for (const bench::FolderFile& f : PlainFiles(dist)) {
    if (f.name == "setup.exe" || (kind == kNsis && f.name == "CVFiles.txt")) continue;
    const std::string path = dest + "\\" + f.name;
    if (!e2e::FileExists(path) || FileSize(path) != f.size)
      throw automation::Failure(std::string(kKindNames[kind]) + " did not install " + path + " whole");
  }
}

// The program, its process timed from its creation to its end.
double TimeSilent(const std::string& exe, const std::string& args) {
  const Clock::time_point begun = Clock::now();
  Process program = Process::Start(exe, args, StripBackslash(ExtractFilePath(exe)));
  const DWORD code = program.WaitExit(kInstallTimeout);
  const double ms = Ms(Clock::now() - begun);
  if (code != 0) throw automation::Failure(exe + " " + args + " ended with " + std::to_string(code));
  return ms;
}

double Install(Set& set, Kind kind, const std::string& dest) {
  e2e::CleanSlate();
  e2e::RemoveTree(dest);
  // NSIS takes /D= last and unquoted; the folder has no blank.
  const double ms = kind == kXcopy    ? bench::TimeXcopy(set.dist, dest)
                    : kind == kNsis   ? TimeSilent(set.nsis, "/S /D=" + dest)
                    : kind == kFolder ? TimeSilent(set.dist + "\\setup.exe", "/S /D=" + dest)
                                      : TimeSilent(set.oneFile, "/S /D=" + dest);
  if (kind != kXcopy) {
    bench::ExpectInstalled(dest);
    set.uninstaller[kind] = FileSize(dest + "\\UninstCV.exe");
  }
  ExpectFilesOf(set.dist, dest, kind);
  e2e::RemoveTree(dest);
  e2e::CleanSlate();
  return ms;
}

// Started as a user starts it, measured to its first visible window, ended.
double FirstWindow(const Set& set, Shown which) {
  e2e::CleanSlate();
  const Clock::time_point begun = Clock::now();
  Process program = which == kShownNsis ? bench::NsisWizard::Start(set.nsis)
                                        : Process::Start(set.oneFile, "", StripBackslash(ExtractFilePath(set.oneFile)));
  const Clock::time_point shown = bench::FirstWindowShown(program, kStartTimeout);
  program.Kill();
  return Ms(shown - begun);
}

std::string GoalText(const std::vector<double>& a, const std::vector<double>& b, double limit) {
  if (limit <= 0) return "";
  char text[64];
  std::snprintf(text, sizeof text, "at most %.1f: %s", limit,
                bench::Median(a) / bench::Median(b) <= limit ? "met" : "not met");
  return text;
}

void PrintReport(const std::vector<Set>& sets, int rounds) {
  std::printf("## At size: 50 and 200 MiB without a window\n\n");
  std::printf(
      "Each set is the sample distribution with generated files added (incompressible: "
      "random bytes; compressible: text of words drawn at random), laid out by `make dist` in both "
      "forms, and the NSIS installer of `tests/bench/corvaline.nsi` built by makensis with the same "
      "files (`-DEXTRA=`), each file packed apart with LZMA (`-DPER_FILE`: NSIS then stores a file "
      "that does not shrink, its fastest; solid LZMA unpacks random bytes several times slower). "
      "Each installs it without a window (`/S /D=`): the files, "
      "CV.ini copied to CV.dbc, the six values under HKCU\\Software\\Corvaline, the Settings > "
      "Apps entry with the folder's size, the five shortcuts and the uninstaller; ours besides "
      "checks every file's SHA-256 as it copies or unpacks it (NSIS checks a CRC of its whole file "
      "at start), writes each change to its install journal first and installs the file list. "
      "Wine's xcopy copying the distribution folder is the floor. Times from just before the "
      "process is created to its end; the first window from just before it is created to its "
      "first visible top-level window, looking every millisecond (NSIS shows it after checking "
      "its whole file). %d rounds in one Wine session, each running every set, each set's four "
      "installs and two starts in turn, the first to run changing every round; every install a "
      "first installation into a fresh folder, checked afterwards (every file of the distribution "
      "there with its size, the values, the shortcuts). Beside each ratio of the medians, in "
      "brackets, its 5th to 95th percentile over the rounds drawn again at random.\n\n",
      rounds);
  std::printf(
      "| set | one-file `/S`, ms: min / median / max | folder form `/S` | NSIS `/S` | xcopy | "
      "one-file / NSIS | folder / NSIS | one-file / xcopy | goal, one-file / NSIS |\n");
  std::printf("|---|---|---|---|---|---|---|---|---|\n");
  for (const Set& s : sets)
    std::printf("| %s | %s | %s | %s | %s | %s | %s | %s | %s |\n", s.label.c_str(),
                SpreadText(s.silent[kOneFile]).c_str(), SpreadText(s.silent[kFolder]).c_str(),
                SpreadText(s.silent[kNsis]).c_str(), SpreadText(s.silent[kXcopy]).c_str(),
                RatioText(s.silent[kOneFile], s.silent[kNsis]).c_str(),
                RatioText(s.silent[kFolder], s.silent[kNsis]).c_str(),
                RatioText(s.silent[kOneFile], s.silent[kXcopy]).c_str(),
                GoalText(s.silent[kOneFile], s.silent[kNsis], s.goal).c_str());

  std::printf("\n| set | first window, one-file setup, ms | NSIS | one-file / NSIS | goal |\n");
  std::printf("|---|---|---|---|---|\n");
  for (const Set& s : sets)
    std::printf("| %s | %s | %s | %s | %s |\n", s.label.c_str(), SpreadText(s.shown[kShownOneFile]).c_str(),
                SpreadText(s.shown[kShownNsis]).c_str(),
                RatioText(s.shown[kShownOneFile], s.shown[kShownNsis]).c_str(),
                GoalText(s.shown[kShownOneFile], s.shown[kShownNsis], s.goal > 0 ? kFirstWindowGoal : 0).c_str());

  std::printf(
      "\n| set | distribution's files, bytes | one-file setup.exe | NSIS installer | setup.exe | installed "
      "UninstCV.exe: from the one-file setup / the folder form / NSIS |\n");
  std::printf("|---|---|---|---|---|---|\n");
  for (const Set& s : sets) {
    uint64_t files = 0;
    for (const bench::FolderFile& f : PlainFiles(s.dist)) files += f.size;
    std::printf("| %s | %s | %s | %s | %s | %s / %s / %s |\n", s.label.c_str(), Thousands(files).c_str(),
                Thousands(FileSize(s.oneFile)).c_str(), Thousands(FileSize(s.nsis)).c_str(),
                Thousands(FileSize(s.dist + "\\setup.exe")).c_str(), Thousands(s.uninstaller[kOneFile]).c_str(),
                Thousands(s.uninstaller[kFolder]).c_str(), Thousands(s.uninstaller[kNsis]).c_str());
  }

  std::printf(
      "\nEach round, ms: `/S` one-file / folder form / NSIS / xcopy, the ratios to NSIS, and the first "
      "window one-file / NSIS with its ratio.\n\n");
  for (const Set& s : sets) {
    std::printf("| %s, round | `/S` | one-file / NSIS | folder / NSIS | first window | one-file / NSIS |\n",
                s.label.c_str());
    std::printf("|---|---|---|---|---|---|\n");
    for (size_t r = 0; r < s.silent[kNsis].size(); ++r)
      std::printf("| %zu | %.0f / %.0f / %.0f / %.0f | %.2f | %.2f | %.0f / %.0f | %.2f |\n", r + 1,
                  s.silent[kOneFile][r], s.silent[kFolder][r], s.silent[kNsis][r], s.silent[kXcopy][r],
                  s.silent[kOneFile][r] / s.silent[kNsis][r], s.silent[kFolder][r] / s.silent[kNsis][r],
                  s.shown[kShownOneFile][r], s.shown[kShownNsis][r],
                  s.shown[kShownOneFile][r] / s.shown[kShownNsis][r]);
    std::printf("\n");
  }
}

int Run(std::vector<Set>& sets, int rounds) {
  const std::string work = bench::TempFolder() + "cv_peer_sizes";
  e2e::RemoveTree(work);
  if (!CreateDirectoryA(work.c_str(), nullptr)) throw automation::Failure("cannot create " + work);
  for (int round = 0; round < rounds; ++round) {
    for (Set& set : sets) {
      // Each kind leads in turn, the starts among them.
      for (int i = 0; i < kKinds + kShownKinds; ++i) {
        const int k = (round + i) % (kKinds + kShownKinds);
        if (k < kKinds)
          set.silent[k].push_back(Install(set, Kind(k), work + "\\" + kKindNames[k]));
        else
          set.shown[k - kKinds].push_back(FirstWindow(set, Shown(k - kKinds)));
      }
    }
    std::fprintf(stderr, "round %d of %d\n", round + 1, rounds);
  }
  e2e::RemoveTree(work);
  PrintReport(sets, rounds);
  return 0;
}

bool ParseArgs(int argc, char** argv, std::vector<Set>& sets, int& rounds) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.rfind("--rounds=", 0) == 0) {
      rounds = std::max(1, std::atoi(arg.c_str() + 9));
      continue;
    }
    if (arg.rfind("--set=", 0) != 0) return false;
    std::vector<std::string> parts;
    for (size_t at = 6;;) {
      const size_t bar = arg.find('|', at);
      parts.push_back(arg.substr(at, bar == std::string::npos ? std::string::npos : bar - at));
      if (bar == std::string::npos) break;
      at = bar + 1;
    }
    if (parts.size() != 5) return false;
    Set set;
    set.label = parts[0];
    set.dist = bench::FullPath(parts[1]);
    set.oneFile = bench::FullPath(parts[2]);
    set.nsis = bench::FullPath(parts[3]);
    set.goal = parts[4] == "-" ? 0 : std::atof(parts[4].c_str());
    sets.push_back(set);
  }
  return !sets.empty();
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<Set> sets;
  int rounds = 15;
  if (!ParseArgs(argc, argv, sets, rounds)) {
    std::fprintf(stderr, "usage: bench_peer_sizes --set=LABEL|DIST|ONE_FILE|NSIS|GOAL ... [--rounds=N]\n");
    return 2;
  }
  try {
    return Run(sets, rounds);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_peer_sizes: %s\n", e.what());
    e2e::CleanSlate();
    return 1;
  }
}
