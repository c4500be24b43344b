// Peer benchmark: setup.exe beside an NSIS installer doing the same job
// (corvaline.nsi), both driven as a user drives them, in interleaved rounds
// (ours, NSIS, ours, NSIS...) in one Wine session. Every install is a first
// installation into a fresh folder, with no client key and no program group.
// Prints a Markdown table: per measure the min, median and max of each and
// the ratio of the medians, then every round.
//   bench_peer DIST NSIS_SETUP NSIS_WITHOUT_FILES SETUP_STRIPPED NSIS_VERSION [ROUNDS]
// DIST is the sample distribution whose setup.exe runs; NSIS_SETUP carries
// the distribution's files; NSIS_WITHOUT_FILES and SETUP_STRIPPED (a stripped
// copy of DIST\setup.exe) are only measured for their size.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

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
using bench::Ms;

constexpr uint64_t kSizeGoal = 256 * 1024;  // bytes
constexpr auto kStartTimeout = 60s;
constexpr auto kInstallTimeout = 180s;

// One install by one installer.
struct Sample {
  double startup = 0;    // ms, process creation to its first visible window
  double install = 0;    // ms, the install work
  double steps = 0;      // ms, its first effect (the destination made) to its last (Explorer started)
  double firstPage = 0;  // KiB, peak working set when the first page waits for input
  double peak = 0;       // KiB, peak working set when the last page shows
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

// The install steps seen from outside, alike for both: the destination
// folder appears with the first, the Explorer window on the group is started
// by the last, the only process either installer starts.
std::vector<bench::Milestone> StepMarks(const std::string& dest, const Process& program) {
  return {{"destination folder", [=] { return e2e::FolderExists(dest); }},
          {"Explorer started", [&program] { return program.ProcessesStarted() > 1; }}};
}

// Ours: the install work runs from the wait dialog's closing to the Done page.
Sample RunOurs(const std::string& dist, const std::string& dest) {
  auto [program, s] = StartMeasured([&] { return e2e::SetupWizard::Start(dist); });
  e2e::SetupWizard setup(std::move(program));
  setup.FillStart(dest);
  setup.FillAddress("Jane Doe <jane.doe@example.org>", "smtp.example.org");
  const bench::InstallTimes t = bench::TimeInstall(setup, StepMarks(dest, setup.Program()));
  s.install = t.after;
  s.steps = t.marks[1] - t.marks[0];
  s.peak = Kib(bench::PeakWorkingSet(setup.Program()));
  setup.Leave("Exit");
  return s;
}

// NSIS: the install work runs from the click on Install to the finish page:
// its install page with the section, then the finish page built.
Sample RunNsis(const std::string& exe, const std::string& dest) {
  auto [program, s] = StartMeasured([&] { return bench::NsisWizard::Start(exe); });
  bench::NsisWizard nsis(std::move(program));
  nsis.FillDirectory(dest);
  const e2e::Window install = nsis.NextButton();
  const Clock::time_point clicked = Clock::now();
  automation::Click(install);
  std::vector<bench::Milestone> marks = StepMarks(dest, nsis.Program());
  marks.push_back({"NSIS finish page", [&] { return nsis.OnFinishPage(); }});
  const std::vector<Clock::time_point> seen = bench::PollEach(marks, kInstallTimeout);
  s.install = Ms(seen[2] - clicked);
  s.steps = Ms(seen[1] - seen[0]);
  s.peak = Kib(bench::PeakWorkingSet(nsis.Program()));
  nsis.Leave("Finish");
  return s;
}

// A clean slate, the install, its check, and the slate cleaned again.
template <typename Run>
Sample Round(const std::string& dest, Run run) {
  e2e::CleanSlate();
  e2e::RemoveTree(dest);
  const Sample s = run(dest);
  bench::ExpectInstalled(dest);
  e2e::RemoveTree(dest);
  e2e::CleanSlate();
  return s;
}

uint64_t FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
    throw automation::Failure("cannot read the size of " + path);
  return (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::string Thousands(uint64_t n) {
  std::string digits = std::to_string(n), out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

std::vector<double> Column(const std::vector<Sample>& samples, double Sample::*field) {
  std::vector<double> v;
  for (const Sample& s : samples) v.push_back(s.*field);
  return v;
}

std::string SpreadText(const std::vector<double>& v) {
  const bench::Spread s = bench::SpreadOf(v);
  char text[96];
  std::snprintf(text, sizeof text, "%.0f / **%.0f** / %.0f", s.min, s.median, s.max);
  return text;
}

std::string Goal(double value, double limit, const char* what) {
  return std::string(what) + (value <= limit ? ": met" : ": not met");
}

void PrintMeasure(const char* name, const std::vector<Sample>& ours, const std::vector<Sample>& nsis,
                  double Sample::*field, const char* goal) {
  const double ratio = bench::Median(Column(ours, field)) / bench::Median(Column(nsis, field));
  std::printf("| %s | %s | %s | **%.2f** | %s |\n", name, SpreadText(Column(ours, field)).c_str(),
              SpreadText(Column(nsis, field)).c_str(), ratio, goal ? Goal(ratio, 1.0, goal).c_str() : "");
}

struct Args {
  std::string dist, nsis, nsisWithoutFiles, stripped, nsisVersion;
  int rounds = 15;
};

int Run(const Args& a) {
  const std::string work = bench::TempFolder() + "cv_peer_bench";
  e2e::RemoveTree(work);
  if (!CreateDirectoryA(work.c_str(), nullptr)) throw automation::Failure("cannot create " + work);
  const uint64_t shipped = FileSize(a.dist + "\\setup.exe"), stripped = FileSize(a.stripped);
  const uint64_t nsisSize = FileSize(a.nsis), nsisBare = FileSize(a.nsisWithoutFiles);

  std::vector<Sample> ours, nsis;
  for (int round = 1; round <= a.rounds; ++round) {
    ours.push_back(Round(work + "\\ours" + std::to_string(round),
                         [&](const std::string& dest) { return RunOurs(a.dist, dest); }));
    nsis.push_back(Round(work + "\\nsis" + std::to_string(round),
                         [&](const std::string& dest) { return RunNsis(a.nsis, dest); }));
    std::fprintf(stderr, "round %d of %d\n", round, a.rounds);
  }
  e2e::RemoveTree(work);

  std::printf("# Peer benchmark: setup.exe beside NSIS %s\n\n", a.nsisVersion.c_str());
  std::printf(
      "The same job done by our setup.exe (the release build's sample distribution) and by an "
      "NSIS installer built by Debian's makensis from `tests/bench/corvaline.nsi` (Modern UI 2, "
      "solid LZMA, the distribution's five files inside): the five files, CV.ini copied to CV.dbc, "
      "the six values under HKCU\\Software\\Corvaline and the Settings > Apps entry, a Start-menu "
      "folder with five shortcuts opened in Explorer, an uninstaller. Ours besides stores the "
      "default message and article in CV.dbc. %d interleaved rounds (ours, NSIS, ours...) in one "
      "Wine session, each a first installation into a fresh folder after the client's key and the "
      "program group were removed, driven as a user drives them and checked afterwards.\n\n",
      a.rounds);
  std::printf(
      "- Size: our setup.exe stripped (a copy through i686-w64-mingw32-strip) against the NSIS "
      "installer carrying the files.\n"
      "- Start-up: from just before the process is created to the first visible top-level window "
      "of that process, looking every millisecond.\n"
      "- Install work: ours from the wait dialog's closing to the Done page (the dialog's fixed "
      "countdown of about 4 s does no work); NSIS from the click on Install to its finish page, "
      "that is its install page running the install section, then the finish page built. Both "
      "looked for every millisecond without a message to the installer. Of it, the steps alone "
      "as seen from outside: from the destination folder's appearing (the first step's first "
      "effect) to the start of the Explorer window on the group (the last step).\n"
      "- Memory: the process's peak working set (GetProcessMemoryInfo) once the first page waits "
      "for input, and once the last page shows.\n\n");
  std::printf("| measure | ours: min / median / max | NSIS: min / median / max | ours / NSIS (medians) | goal |\n");
  std::printf("|---|---|---|---|---|\n");
  const double sizeRatio = double(stripped) / double(nsisSize);
  std::printf("| size, bytes | %s | %s | **%.2f** | %s |\n", Thousands(stripped).c_str(),
              Thousands(nsisSize).c_str(), sizeRatio,
              Goal(double(stripped), double(kSizeGoal), "at most 262,144 bytes").c_str());
  PrintMeasure("start-up to the first window, ms", ours, nsis, &Sample::startup, "ratio at most 1.0");
  PrintMeasure("install work, ms", ours, nsis, &Sample::install, "ratio at most 1.0");
  PrintMeasure("of which the steps, first to last effect, ms", ours, nsis, &Sample::steps, nullptr);
  PrintMeasure("peak working set on the first page, KiB", ours, nsis, &Sample::firstPage, nullptr);
  PrintMeasure("peak working set at the last page, KiB", ours, nsis, &Sample::peak, nullptr);
  std::printf("\nBeside: setup.exe as the distribution ships it, %s bytes; the NSIS installer "
              "without the files (its stub, script and uninstaller), %s bytes.\n\n",
              Thousands(shipped).c_str(), Thousands(nsisBare).c_str());

  std::printf("| round | start-up ours | start-up NSIS | install ours | install NSIS | steps ours | "
              "steps NSIS | first page ours | first page NSIS | last page ours | last page NSIS |\n");
  std::printf("|---|---|---|---|---|---|---|---|---|---|---|\n");
  for (size_t i = 0; i < ours.size(); ++i)
    std::printf("| %zu | %.0f | %.0f | %.0f | %.0f | %.0f | %.0f | %.0f | %.0f | %.0f | %.0f |\n", i + 1,
                ours[i].startup, nsis[i].startup, ours[i].install, nsis[i].install, ours[i].steps,
                nsis[i].steps, ours[i].firstPage, nsis[i].firstPage, ours[i].peak, nsis[i].peak);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 6) {
    std::fprintf(stderr,
                 "usage: bench_peer DIST NSIS_SETUP NSIS_WITHOUT_FILES SETUP_STRIPPED NSIS_VERSION [ROUNDS]\n");
    return 2;
  }
  Args a;
  a.dist = bench::FullPath(argv[1]);
  a.nsis = bench::FullPath(argv[2]);
  a.nsisWithoutFiles = bench::FullPath(argv[3]);
  a.stripped = bench::FullPath(argv[4]);
  a.nsisVersion = argv[5];
  if (argc > 6) a.rounds = std::max(1, std::atoi(argv[6]));
  try {
    return Run(a);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_peer: %s\n", e.what());
    e2e::CleanSlate();
    return 1;
  }
}
