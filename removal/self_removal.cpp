#include "removal/self_removal.h"

#include "common/constants.h"
#include "sys/after_exit.h"
#include "sys/files.h"
#include "sys/path.h"
#include "sys/sleep.h"
#include "sys/utf8_case.h"

const char kSelfRemovalSwitch[] = "/_REMOVE=";

namespace {
constexpr unsigned kStarterWaitMs = 60 * 1000;
constexpr int kDeleteTries = 25;
constexpr unsigned kDeletePauseMs = 200;
}  // namespace

bool ScheduleSelfRemoval(const std::string& path) {
  return StartCopyAfterExit(std::string(kSelfRemovalSwitch) + "%h \"" + path + "\"");
}

void FinishSelfRemoval(const std::string& handle, const std::string& path) {
  if (!Utf8SameText(ExtractFileName(path), UninstallerFile) || !IsAbsolutePath(path)) return;
  if (!WaitForStarter(handle, kStarterWaitMs)) return;
  // The system may hold the program's image a moment after its process ended.
  for (int i = 0; i < kDeleteTries && FileExists(path); ++i) {
    if (RemoveFile(path)) break;
    SleepMs(kDeletePauseMs);
  }
  if (!FileExists(path)) RemoveDir(StripBackslash(ExtractFilePath(path)));
}
