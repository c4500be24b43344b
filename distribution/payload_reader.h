// Finds, checks and unpacks the payload of a one-file setup.exe
// (payload_format.h). Nothing is handed out before the whole has been checked.
#pragma once
#include <cstdint>
#include <vector>

#include "distribution/byte_io.h"
#include "distribution/file_list.h"
#include "distribution/status.h"

struct PayloadEntry {
  ListedFile file;  // name, unpacked size, SHA-256 of the unpacked bytes
  uint64_t packedSize = 0;
  uint64_t offset = 0;  // of its zlib stream in the source
};

class PayloadReader {
 public:
  // Finds the payload at the end of program's image (before its signature if
  // it has one) and checks all of it: the footer, the checksum of the whole,
  // the directory and its names (file_name.h, no name twice), and every entry
  // unpacked against its size and SHA-256. kNoPayload when nothing follows
  // the image (the folder form); kDamaged for anything else that is not a
  // sound payload; kReadFailed when program cannot be read. program must
  // outlive the reader.
  DistStatus Open(ByteSource& program);

  // The entries of an opened payload, in their order in the file.
  const std::vector<PayloadEntry>& Entries() const { return entries_; }
  // The entries as a file list (the one-file form's setup.exe is not among them).
  FileList Listing() const;

  // Unpacks one entry into sink in pieces, checking it again on the way
  // (kDamaged if the file changed since Open). On failure the sink has had part
  // of the bytes; the caller discards them.
  DistStatus Extract(size_t index, ByteSink& sink);

 private:
  ByteSource* source_ = nullptr;
  std::vector<PayloadEntry> entries_;
};
