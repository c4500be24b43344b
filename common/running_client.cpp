#include "common/running_client.h"

#include "sys/file_access.h"

const char kClientRunningText[] = "Corvaline is running. Close it, then click Retry.";

Lines HeldFiles(const Lines& paths) {
  Lines held;
  for (const std::string& path : paths)
    if (FileInUse(path)) held.push_back(path);
  return held;
}
