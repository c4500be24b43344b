// A file written a record at a time, each record on the disk before the call
// returns: what a later run must find even after a power cut.
#pragma once
#include <string>

#include "sys/handle.h"

class DurableFile {
 public:
  // Opens path for appending, creating it (and, with truncate, emptying it).
  bool Open(const std::string& path, bool truncate);
  bool IsOpen() const { return file_.Valid(); }
  // Writes bytes at the end and flushes them; false when either failed.
  bool Append(const std::string& bytes);
  void Close() { file_.Reset(); }

 private:
  UniqueHandle file_;
};
