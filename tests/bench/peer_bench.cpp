// Peer benchmark: setup.exe, in its folder form and as the one-file setup,
// beside an NSIS installer doing the same job (corvaline.nsi), all driven as
// a user drives them, in interleaved rounds in one Wine session (each round
// runs the three, starting with the next one each time). Every install is a
// first installation into a fresh folder, with no client key and no program
// group. Prints a Markdown table: per measure the min, median and max of each
// and the ratios of the medians, then every round.
//   bench_peer --dist=DIR --one-file=EXE --nsis=EXE --nsis-shipped=EXE --nsis-bare=EXE
//              --stripped=EXE --nsis-version=V [--rounds=N] [--starts=K] [--fsyncs=FILE]
//   bench_peer --once=folder|one-file|nsis ... : one install of that kind, untimed
//              and unprinted, for a tracer watching from outside.
// DIR is the sample distribution whose setup.exe runs; the one-file setup runs
// from a folder of its own; --nsis is the NSIS installer built to time its
// install section (-DSECTION_TIMES), --nsis-shipped the same without that,
// --nsis-bare the same without the files: those two, and --stripped (a
// stripped copy of DIR\setup.exe), are only measured for their size. FILE
// holds the flushes counted from outside, a line "kind journal all ms" for
// each kind.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
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
using bench::SpreadText;
using bench::Thousands;

constexpr uint64_t kSizeGoal = 256 * 1024;  // bytes
constexpr double kOneFileStartGoal = 1.1;   // of the folder form's start-up
constexpr auto kStartTimeout = 60s;
constexpr auto kInstallTimeout = 180s;
// Where the timed NSIS installer writes its section's counter readings, beside
// itself (peer.bench.sh builds it with -DSECTION_TIMES of this name).
const char kSectionTimesFile[] = "section-times.txt";

enum Kind { kFolder, kOneFile, kNsis, kKinds };
const char* const kKindNames[kKinds] = {"folder", "one-file", "nsis"};

// One install by one installer.
struct Sample {
  double startup = 0;    // ms, process creation to its first visible window
  double steps = 0;      // ms, the install's own work, as each installer's row says
  double outside = 0;    // ms, the install work as the user waits for it, seen from outside
  double effects = 0;    // ms, its first effect (the destination made) to the group's last shortcut
  double firstPage = 0;  // KiB, peak working set when the first page waits for input
  double peak = 0;       // KiB, peak working set when the last page shows
};

// Flushes to the disk during one install, counted by peer.bench.sh from outside.
struct Flushes {
  bool counted = false;
  int journal = 0;  // of the install journal
  int all = 0;      // of any file
  double ms = 0;    // the time they took
};

double Kib(uint64_t bytes) { return bytes / 1024.0; }

// Starts the program with start() and measures it up to its first page.
template <typename Start>
std::pair<Process, Sample> StartMeasured(Start start) {
  const Clock::time_point begun = Clock::now();
  Process program = start();
  const Clock::time_point shown = bench::FirstWindowShown(program, kStartTimeout);
  bench::WaitInputIdle(program);
  Sample s;
  s.startup = Ms(shown - begun);
  s.firstPage = Kib(bench::PeakWorkingSet(program));
  return {std::move(program), s};
}

// The install steps seen from outside, alike for all: the destination
// folder appears with the first, the group's last shortcut near the end.
// (Explorer's start after it cannot be told apart: under Wine each saved
// shortcut starts a process of its own as well.)
std::vector<bench::Milestone> StepMarks(const std::string& dest) {
  const std::string lastLink = e2e::GroupFolder() + "\\ReadMe.LNK";
  return {{"destination folder", [=] { return e2e::FolderExists(dest); }},
          {"last shortcut", [=] { return e2e::FileExists(lastLink); }}};
}

// Ours, either form, started in its own folder.
Process StartOurs(const std::string& exe) { return Process::Start(exe, "", StripBackslash(ExtractFilePath(exe))); }

// Ours: the install steps run from the confirmation of "Install now?" to
// the Done page, less the wait dialog (its fixed countdown of about 4 s does
// no work); the user waits for them from the dialog's closing.
Sample RunOurs(const std::string& exe, const std::string& dest) {
  auto [program, s] = StartMeasured([&] { return StartOurs(exe); });
  e2e::SetupWizard setup(std::move(program));
  setup.FillStart(dest);
  setup.FillAddress("Jane Doe <jane.doe@example.org>", "smtp.example.org");
  const bench::InstallTimes t = bench::TimeInstall(setup, StepMarks(dest));
  s.steps = t.Steps();
  s.outside = t.after;
  s.effects = t.marks[1] - t.marks[0];
  s.peak = Kib(bench::PeakWorkingSet(setup.Program()));
  setup.Leave("Exit");
  return s;
}

// The install section's time as the NSIS installer measured it itself.
double SectionMs(const std::string& file) {
  std::ifstream in(file);
  long long start = 0, end = 0, perSecond = 0;
  if (!(in >> start >> end >> perSecond) || perSecond <= 0 || end < start)
    throw automation::Failure("no section times in " + file);
  return (end - start) * 1000.0 / perSecond;
}

// NSIS: the install section timed inside; the user waits from the click on
// Install to the finish page: its install page with the section, then the
// finish page built.
Sample RunNsis(const std::string& exe, const std::string& dest) {
  const std::string times = ExtractFilePath(exe) + kSectionTimesFile;
  DeleteFileA(times.c_str());
  auto [program, s] = StartMeasured([&] { return bench::NsisWizard::Start(exe); });
  bench::NsisWizard nsis(std::move(program));
  nsis.FillDirectory(dest);
  const e2e::Window install = nsis.NextButton();
  const Clock::time_point clicked = Clock::now();
  automation::Click(install);
  std::vector<bench::Milestone> marks = StepMarks(dest);
  marks.push_back({"NSIS finish page", [&] { return nsis.OnFinishPage(); }});
  const std::vector<Clock::time_point> seen = bench::PollEach(marks, kInstallTimeout);
  s.outside = Ms(seen[2] - clicked);
  s.effects = Ms(seen[1] - seen[0]);
  s.peak = Kib(bench::PeakWorkingSet(nsis.Program()));
  nsis.Leave("Finish");
  s.steps = SectionMs(times);
  return s;
}

struct Args {
  std::string dist, oneFile, nsis, nsisShipped, nsisBare, stripped, nsisVersion, fsyncs, once;
  int rounds = 15;
  int starts = 3;  // starts alone of each installer per round, beside its install
};

std::string Program(const Args& a, Kind kind) {
  return kind == kNsis ? a.nsis : kind == kFolder ? a.dist + "\\setup.exe" : a.oneFile;
}

// A start alone: measured up to its first page waiting for input, then ended.
Sample StartAlone(const Args& a, Kind kind) {
  auto [program, s] = StartMeasured([&] {
    return kind == kNsis ? bench::NsisWizard::Start(a.nsis) : StartOurs(Program(a, kind));
  });
  program.Kill();
  return s;
}

// A clean slate, one install of the kind, its check, and the slate cleaned again.
Sample Round(const Args& a, Kind kind, const std::string& dest) {
  e2e::CleanSlate();
  e2e::RemoveTree(dest);
  const Sample s = kind == kNsis ? RunNsis(a.nsis, dest) : RunOurs(Program(a, kind), dest);
  bench::ExpectInstalled(dest);
  e2e::RemoveTree(dest);
  e2e::CleanSlate();
  return s;
}

using Samples = std::vector<Sample>[kKinds];

struct Results {
  Samples installs;  // one a round
  Samples starts;    // the installs' starts and the starts alone
};

std::vector<double> Column(const std::vector<Sample>& samples, double Sample::*field) {
  std::vector<double> v;
  for (const Sample& s : samples) v.push_back(s.*field);
  return v;
}

double MedianOf(const std::vector<Sample>& samples, double Sample::*field) {
  return bench::Median(Column(samples, field));
}

std::string Ratio(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "**%.2f**", value);
  return text;
}

std::string RatioOf(const std::vector<Sample>& a, const std::vector<Sample>& b, double Sample::*field) {
  return bench::RatioText(Column(a, field), Column(b, field));
}

std::string Goal(double value, double limit, const std::string& what) {
  return what + (value <= limit ? ": met" : ": not met");
}

// A row of the spreads of the three and the ratios of ours to NSIS's medians.
void PrintMeasure(const std::string& name, const Samples& samples, double Sample::*field,
                  const std::string& goal = "") {
  std::printf("| %s | %s | %s | %s | %s | %s | %s |\n", name.c_str(), SpreadText(Column(samples[kFolder], field)).c_str(),
              SpreadText(Column(samples[kOneFile], field)).c_str(), SpreadText(Column(samples[kNsis], field)).c_str(),
              RatioOf(samples[kFolder], samples[kNsis], field).c_str(),
              RatioOf(samples[kOneFile], samples[kNsis], field).c_str(), goal.c_str());
}

std::string FlushText(const Flushes& f, bool journal) {
  if (!f.counted) return "not counted";
  char text[96];
  if (journal)
    std::snprintf(text, sizeof text, "**%d** of the journal, %d in all, %.1f ms", f.journal, f.all, f.ms);
  else
    std::snprintf(text, sizeof text, "%d in all, %.1f ms", f.all, f.ms);
  return text;
}

std::map<std::string, Flushes> ReadFlushes(const std::string& file) {
  std::map<std::string, Flushes> counted;
  if (file.empty()) return counted;
  std::ifstream in(file);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string kind;
    Flushes f;
    if (fields >> kind >> f.journal >> f.all >> f.ms) {
      f.counted = true;
      counted[kind] = f;
    }
  }
  return counted;
}

void PrintReport(const Args& a, const Results& results) {
  const Samples& samples = results.installs;
  const uint64_t shipped = FileSize(a.dist + "\\setup.exe"), stripped = FileSize(a.stripped);
  const uint64_t oneFile = FileSize(a.oneFile);
  const uint64_t nsisSize = FileSize(a.nsisShipped), nsisBare = FileSize(a.nsisBare), nsisTimed = FileSize(a.nsis);
  std::map<std::string, Flushes> flushes = ReadFlushes(a.fsyncs);

  std::printf("# Peer benchmark: setup.exe beside NSIS %s\n\n", a.nsisVersion.c_str());
  std::printf(
      "The same job done by our setup.exe (the release build's sample distribution) in its folder "
      "form (setup.exe beside its files) and as the one-file setup (setup.exe carrying the files "
      "as a zlib payload, its directory checked at start), and by an NSIS installer built by Debian's "
      "makensis from `tests/bench/corvaline.nsi` (Modern UI 2, solid LZMA, the distribution's "
      "five files inside): the five files, CV.ini copied to CV.dbc, the six values under "
      "HKCU\\Software\\Corvaline and the Settings > Apps entry, a Start-menu folder with five "
      "shortcuts opened in Explorer, an uninstaller. Ours besides stores the default message and "
      "article in CV.dbc, checks each file's SHA-256 as it copies or unpacks it, writes each change "
      "to its install journal first and installs the file list CVFiles.txt. %d rounds in one "
      "Wine session, each running the three in turn, each round starting with the next one; "
      "every install a first installation into a fresh folder after the client's key and the "
      "program group were removed, driven as a user drives it and checked afterwards.\n\n",
      a.rounds);
  std::printf(
      "- Size: our setup.exe stripped (a copy through i686-w64-mingw32-strip), the one-file "
      "setup.exe as `make dist` builds it, the NSIS installer carrying the files.\n"
      "- Start-up: from just before the process is created to the first visible top-level window "
      "of that process, looking every millisecond; in each round besides the install's start, "
      "%d starts alone of each (ended once the first page waits for input), interleaved as the "
      "installs are: %zu starts of each in all.\n"
      "- Install steps: ours from the click confirming \"Install now?\" to the Done page, less "
      "the wait dialog's lifetime (its fixed countdown of about 4 s does no work), seen from "
      "outside; NSIS its install section alone, timed inside by the section itself with the "
      "system's high-resolution counter (QueryPerformanceCounter through the System plug-in, "
      "read first and last in the section): its page changes are left out, ours are in. The "
      "first reading unpacks the plug-in before it reads; the installer as shipped unpacks it "
      "inside the section (FileFunc's GetSize uses it), a few milliseconds that NSIS's time "
      "leaves out.\n"
      "- Flushes: FlushFileBuffers reaching the disk (fsync) during one more install of each, "
      "untimed, counted by strace following the driver and every process it starts; ours flushes "
      "its journal once as it starts it and once for each record.\n"
      "- Install work from outside: what the user waits for; ours from the wait dialog's closing "
      "to the Done page, NSIS from the click on Install to its finish page. Of it, from the "
      "destination folder's appearing (the first step's first effect) to the group's last "
      "shortcut's (Explorer's start follows in both; under Wine each shortcut saved starts a "
      "process of its own too, so Explorer's cannot be told from those). All looked for every "
      "millisecond without a message to the installer.\n"
      "- Memory: the process's peak working set (GetProcessMemoryInfo) once the first page waits "
      "for input (at every start), and once the last page shows.\n"
      "- Noise: beside each ratio of the medians, in brackets, its 5th to 95th percentile over "
      "the rounds drawn again at random (bootstrap, the samples taken side by side kept "
      "together).\n\n",
      a.starts, results.starts[kFolder].size());

  std::printf(
      "| measure | setup.exe, folder form: min / median / max | one-file setup.exe | NSIS | "
      "folder / NSIS (medians, 90 %% interval) | one-file / NSIS | goal |\n");
  std::printf("|---|---|---|---|---|---|---|\n");
  std::printf("| size, bytes | %s | %s | %s | %s | %s | %s |\n", Thousands(stripped).c_str(),
              Thousands(oneFile).c_str(), Thousands(nsisSize).c_str(), Ratio(double(stripped) / nsisSize).c_str(),
              Ratio(double(oneFile) / nsisSize).c_str(),
              Goal(double(stripped), double(kSizeGoal), "setup.exe at most 262,144 bytes").c_str());
  const Samples& starts = results.starts;
  const double folderStart = MedianOf(starts[kFolder], &Sample::startup);
  const double oneFileStart = MedianOf(starts[kOneFile], &Sample::startup) / folderStart;
  const std::string startGoal =
      "; one-file / folder form " + RatioOf(starts[kOneFile], starts[kFolder], &Sample::startup);
  PrintMeasure("start-up to the first window, ms", starts, &Sample::startup,
               Goal(folderStart / MedianOf(starts[kNsis], &Sample::startup), 1.0, "folder / NSIS at most 1.0") +
                   Goal(oneFileStart, kOneFileStartGoal, startGoal + ", at most 1.1"));
  PrintMeasure("install steps, ms (NSIS: its section)", samples, &Sample::steps,
               Goal(MedianOf(samples[kFolder], &Sample::steps) / MedianOf(samples[kNsis], &Sample::steps), 1.0,
                    "folder / NSIS at most 1.0"));
  std::printf("| flushes to the disk during the install | %s | %s | %s |  |  |  |\n",
              FlushText(flushes[kKindNames[kFolder]], true).c_str(),
              FlushText(flushes[kKindNames[kOneFile]], true).c_str(),
              FlushText(flushes[kKindNames[kNsis]], false).c_str());
  PrintMeasure("install work from outside, ms", samples, &Sample::outside);
  PrintMeasure("of which the destination folder to the last shortcut, ms", samples, &Sample::effects);
  PrintMeasure("peak working set on the first page, KiB", starts, &Sample::firstPage);
  PrintMeasure("peak working set at the last page, KiB", samples, &Sample::peak);
  std::printf(
      "\nBeside: setup.exe as the distribution ships it, %s bytes; the one-file setup's payload "
      "and footer, %s bytes; the NSIS installer without the files (its stub, script and "
      "uninstaller), %s bytes; the NSIS installer that ran, timing its section, %s bytes (the "
      "System plug-in inside).\n\n",
      Thousands(shipped).c_str(), Thousands(oneFile - shipped).c_str(), Thousands(nsisBare).c_str(),
      Thousands(nsisTimed).c_str());

  std::printf(
      "Each round, folder form / one-file / NSIS (ms, KiB); the first to run is named.\n\n"
      "| round | first | start-up | install steps | work from outside | folder to last shortcut | "
      "first page | last page |\n");
  std::printf("|---|---|---|---|---|---|---|---|\n");
  auto three = [&](size_t i, double Sample::*field) {
    char text[64];
    std::snprintf(text, sizeof text, "%.0f / %.0f / %.0f", samples[kFolder][i].*field,
                  samples[kOneFile][i].*field, samples[kNsis][i].*field);
    return std::string(text);
  };
  for (size_t i = 0; i < samples[kFolder].size(); ++i)
    std::printf("| %zu | %s | %s | %s | %s | %s | %s | %s |\n", i + 1, kKindNames[i % kKinds],
                three(i, &Sample::startup).c_str(), three(i, &Sample::steps).c_str(),
                three(i, &Sample::outside).c_str(), three(i, &Sample::effects).c_str(),
                three(i, &Sample::firstPage).c_str(), three(i, &Sample::peak).c_str());
}

int Run(const Args& a) {
  const std::string work = bench::TempFolder() + "cv_peer_bench";
  e2e::RemoveTree(work);
  if (!CreateDirectoryA(work.c_str(), nullptr)) throw automation::Failure("cannot create " + work);
  if (!a.once.empty()) {
    const auto named = std::find(kKindNames, kKindNames + kKinds, a.once);
    if (named == kKindNames + kKinds) throw automation::Failure("no installer of the kind " + a.once);
    Round(a, Kind(named - kKindNames), work + "\\once");
    e2e::RemoveTree(work);
    return 0;
  }
  Results results;
  for (int round = 0; round < a.rounds; ++round) {
    // Each kind leads in turn: none always follows the same one.
    for (int i = 0; i < kKinds; ++i) {
      const Kind kind = Kind((round + i) % kKinds);
      const Sample s = Round(a, kind, work + "\\" + kKindNames[kind] + std::to_string(round + 1));
      results.installs[kind].push_back(s);
      results.starts[kind].push_back(s);
    }
    for (int start = 0; start < a.starts; ++start)
      for (int i = 0; i < kKinds; ++i) {
        const Kind kind = Kind((round + start + 1 + i) % kKinds);
        results.starts[kind].push_back(StartAlone(a, kind));
      }
    std::fprintf(stderr, "round %d of %d\n", round + 1, a.rounds);
  }
  e2e::RemoveTree(work);
  PrintReport(a, results);
  return 0;
}

// "--name=value" options into a.
bool ParseArgs(int argc, char** argv, Args& a) {
  const std::map<std::string, std::string*> paths = {
      {"dist", &a.dist},           {"one-file", &a.oneFile},   {"nsis", &a.nsis},
      {"nsis-shipped", &a.nsisShipped}, {"nsis-bare", &a.nsisBare}, {"stripped", &a.stripped},
      {"fsyncs", &a.fsyncs}};
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const size_t equals = arg.find('=');
    if (arg.rfind("--", 0) != 0 || equals == std::string::npos) return false;
    const std::string name = arg.substr(2, equals - 2), value = arg.substr(equals + 1);
    if (paths.count(name))
      *paths.at(name) = bench::FullPath(value);
    else if (name == "nsis-version")
      a.nsisVersion = value;
    else if (name == "once")
      a.once = value;
    else if (name == "rounds")
      a.rounds = std::max(1, std::atoi(value.c_str()));
    else if (name == "starts")
      a.starts = std::max(0, std::atoi(value.c_str()));
    else
      return false;
  }
  return !a.dist.empty() && !a.oneFile.empty() && !a.nsis.empty() &&
         (!a.once.empty() || (!a.nsisShipped.empty() && !a.nsisBare.empty() && !a.stripped.empty()));
}

}  // namespace

int main(int argc, char** argv) {
  Args a;
  if (!ParseArgs(argc, argv, a)) {
    std::fprintf(stderr,
                 "usage: bench_peer --dist=DIR --one-file=EXE --nsis=EXE --nsis-shipped=EXE --nsis-bare=EXE\n"
                 "                  --stripped=EXE --nsis-version=V [--rounds=N] [--starts=K] [--fsyncs=FILE]\n"
                 "       bench_peer --once=folder|one-file|nsis --dist=DIR --one-file=EXE --nsis=EXE\n");
    return 2;
  }
  try {
    return Run(a);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_peer: %s\n", e.what());
    e2e::CleanSlate();
    return 1;
  }
}
