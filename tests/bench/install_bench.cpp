// Install benchmark: the setup wizard installing a generated distribution of
// 200 files and 50 MiB, as a user drives it, beside Wine's own xcopy copying
// the same folder in the same session. The install is timed from the click
// that confirms "Install now?" to the Done page, less the wait dialog's
// lifetime (its fixed countdown of about 4 s does no work). Prints a Markdown
// table of every run and the medians.
//   bench_install SAMPLE_DIST [RUNS]
// SAMPLE_DIST is the sample distribution (setup.exe, CV.ini and the rest);
// its files join the generated ones.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "distribution/file_list.h"
#include "distribution/file_source.h"
#include "distribution/source_digest.h"
#include "sys/handle.h"
#include "tests/bench/bench_paths.h"
#include "tests/bench/install_timing.h"
#include "tests/bench/poll.h"
#include "tests/bench/stats.h"
#include "tests/e2e/session.h"

namespace {

using namespace e2e;
using bench::Clock;
using bench::FullPath;
using bench::InstallTimes;
using bench::Median;
using bench::Ms;
using bench::TempFolder;
using bench::TimeXcopy;

constexpr int kFiles = 200;
constexpr int64_t kBytes = 50LL * 1024 * 1024;
constexpr int kLargeFiles = 10;  // a few large files, many small ones, as a program ships
constexpr double kLargeShare = 0.6;

using Entry = bench::FolderFile;
using bench::PlainFiles;

bool WriteRandomFile(const std::string& path, int64_t size, uint32_t& seed) {
  UniqueHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  if (!file) return false;
  std::vector<uint32_t> block(16384);
  for (int64_t left = size; left > 0;) {
    for (uint32_t& word : block) {  // xorshift: incompressible, reproducible
      seed ^= seed << 13;
      seed ^= seed >> 17;
      seed ^= seed << 5;
      word = seed;
    }
    DWORD chunk = static_cast<DWORD>(std::min<int64_t>(left, block.size() * sizeof(uint32_t)));
    DWORD written = 0;
    if (!WriteFile(file.Get(), block.data(), chunk, &written, nullptr) || written != chunk) return false;
    left -= chunk;
  }
  return true;
}

// The distribution's file list naming every other file of dist, as the
// build writes it: setup checks and installs exactly the listed files.
bool WriteFileList(const std::string& dist) {
  FileList list;
  for (const Entry& e : PlainFiles(dist)) {
    if (e.name == kFileListName) continue;
    ListedFile listed{e.name, e.size, {}};
    std::unique_ptr<FileSource> file;
    if (!FileSource::Open(dist + "\\" + e.name, file).ok() || !Sha256OfSource(*file, listed.sha256).ok())
      return false;
    list.push_back(listed);
  }
  std::string text;
  if (!FormatFileList(list, text).ok()) return false;
  UniqueHandle file(CreateFileA((dist + "\\" + kFileListName).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                                nullptr));
  DWORD written = 0;
  return file && WriteFile(file.Get(), text.data(), DWORD(text.size()), &written, nullptr) && written == text.size();
}

// The sample distribution's files plus generated ones: kFiles files of
// kBytes in all, and the list of them.
bool MakeDistribution(const std::string& sample, const std::string& dist) {
  if (!CreateDirectoryA(dist.c_str(), nullptr)) return false;
  int64_t used = 0;
  std::vector<Entry> own = PlainFiles(sample);
  for (const Entry& e : own) {
    if (!CopyFileA((sample + "\\" + e.name).c_str(), (dist + "\\" + e.name).c_str(), FALSE)) return false;
    used += static_cast<int64_t>(e.size);
  }
  const int generated = kFiles - static_cast<int>(own.size());
  const int64_t rest = kBytes - used;
  if (generated <= kLargeFiles || rest <= 0) return false;
  const int64_t large = static_cast<int64_t>(rest * kLargeShare) / kLargeFiles;
  const int64_t small = (rest - large * kLargeFiles) / (generated - kLargeFiles);
  int64_t left = rest;
  uint32_t seed = 2463534242u;
  for (int i = 0; i < generated; ++i) {
    int64_t size = i == generated - 1 ? left : i < kLargeFiles ? large : small;
    char name[32];
    std::snprintf(name, sizeof name, "\\part%03d.dat", i + 1);
    if (!WriteRandomFile(dist + name, size, seed)) return false;
    left -= size;
  }
  return WriteFileList(dist);
}

InstallTimes TimeInstall(const std::string& dist, const std::string& dest) {
  SetupWizard setup(dist);
  setup.FillStart(dest);
  setup.FillAddress("Jane Doe <jane.doe@example.org>", "smtp.example.org");
  return bench::TimeInstall(setup);  // the owner ends setup and the Explorer window it opened
}

void Expect(bool ok, const std::string& what) {
  if (!ok) throw automation::Failure(what);
}

int Run(const std::string& sample, int runs) {
  const std::string work = TempFolder() + "cv_install_bench";
  RemoveTree(work);
  Expect(CreateDirectoryA(work.c_str(), nullptr) != FALSE, "cannot create " + work);
  const std::string dist = work + "\\dist";
  Expect(MakeDistribution(sample, dist), "cannot lay out the distribution in " + dist);
  const std::string empty = work + "\\empty";
  Expect(CreateDirectoryA(empty.c_str(), nullptr) != FALSE, "cannot create " + empty);

  int64_t bytes = 0;
  std::vector<Entry> files = PlainFiles(dist);
  for (const Entry& e : files) bytes += static_cast<int64_t>(e.size);

  std::printf("# Install benchmark\n\n");
  std::printf("Distribution: %zu files, %.1f MiB (the sample distribution and generated files), "
              "listed with their SHA-256 in its CVFiles.txt, against which setup checks each file "
              "as it copies it, and journals every change; installed by setup.exe into a fresh folder, "
              "as a first installation, and copied "
              "by Wine's xcopy (/E /I /Y) into another; %d runs in one Wine session. Times in ms. "
              "Install = from the click confirming \"Install now?\" to the Done page, less the "
              "wait dialog's lifetime; xcopy = its process from start to end; xcopy start-up = "
              "xcopy of an empty folder.\n\n",
              files.size(), bytes / 1048576.0, runs);
  std::printf("| run | confirm to Done | wait dialog | install | wait closed to Done | xcopy | "
              "xcopy start-up |\n");
  std::printf("|---|---|---|---|---|---|---|\n");
  std::vector<double> total, wait, steps, after, xcopy, startup;
  for (int run = 1; run <= runs; ++run) {
    CleanSlate();
    const std::string dest = work + "\\install" + std::to_string(run);
    const std::string copy = work + "\\xcopy" + std::to_string(run);
    InstallTimes t = TimeInstall(dist, dest);
    Expect(PlainFiles(dest).size() == files.size() + 1, "setup did not install every file into " + dest);
    const double x = TimeXcopy(dist, copy);
    Expect(PlainFiles(copy).size() == files.size(), "xcopy did not copy every file into " + copy);
    const double s = TimeXcopy(empty, work + "\\empty" + std::to_string(run));
    std::printf("| %d | %.0f | %.0f | %.0f | %.0f | %.0f | %.0f |\n", run, t.total, t.wait, t.Steps(),
                t.after, x, s);
    std::fflush(stdout);
    total.push_back(t.total);
    wait.push_back(t.wait);
    steps.push_back(t.Steps());
    after.push_back(t.after);
    xcopy.push_back(x);
    startup.push_back(s);
    RemoveTree(dest);
    RemoveTree(copy);
  }
  std::printf("| median | %.0f | %.0f | **%.0f** | %.0f | **%.0f** | %.0f |\n\n", Median(total),
              Median(wait), Median(steps), Median(after), Median(xcopy), Median(startup));
  std::printf("Install / xcopy (medians): **%.2f**\n", Median(steps) / Median(xcopy));
  CleanSlate();
  RemoveTree(work);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: bench_install SAMPLE_DIST [RUNS]\n");
    return 2;
  }
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
  try {
    return Run(FullPath(argv[1]), runs);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_install: %s\n", e.what());
    CleanSlate();
    return 1;
  }
}
