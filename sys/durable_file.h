// A file written a record at a time, each record on the disk before the call
// returns: what a later run must find even after a power cut. It is only ever
// opened when reached directly (direct_file.h), never through a link.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "sys/handle.h"

class DurableFile {
 public:
  // Makes path as a new file for appending; false when anything has that name
  // already, or when its last `parts` names do not lead to it directly (then
  // what was made is removed again).
  bool Create(const std::string& path, size_t parts);
  // Opens the existing file at path for appending after its first length
  // bytes, cutting off what follows them; the same check as Create.
  bool Reopen(const std::string& path, size_t parts, uint64_t length);
  bool IsOpen() const { return file_.Valid(); }
  // Writes bytes at the end and flushes them; false when either failed.
  bool Append(const std::string& bytes);
  void Close() { file_.Reset(); }

 private:
  UniqueHandle file_;
};
