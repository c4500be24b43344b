#include "removal/self_removal.h"

#include "sys/after_exit.h"

const char kSelfRemovalSwitch[] = "/_REMOVE=";

namespace {
constexpr unsigned kStarterWaitMs = 60 * 1000;
constexpr unsigned kDeleteWaitMs = 5 * 1000;
}  // namespace

bool RemoveSelf(const std::string& path) {
  const std::string moved = MoveProgramToTemp(path);
  // Where it cannot leave (the temporary folder lies on another volume), the
  // copy deletes it where it is, through its handle all the same.
  const std::string now = moved.empty() ? path : moved;
  StartCopyAfterExit(now, std::string(kSelfRemovalSwitch) + "%h %f", now);
  return !moved.empty();
}

void FinishSelfRemoval(const std::string& starter, const std::string& file) {
  if (WaitForStarter(starter, kStarterWaitMs)) DeleteHeldFile(file, kDeleteWaitMs);
}
