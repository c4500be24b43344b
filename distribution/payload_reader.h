// Finds, checks and unpacks the payload of a one-file setup.exe
// (payload_format.h). Opening reads and checks the directory alone, however
// big the payload; each entry's bytes are checked as they are unpacked, so
// they are read once.
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
  // it has one) and checks the footer, the directory's checksum and the
  // directory: its names (file_name.h, no name twice) and the entries'
  // places. kNoPayload when nothing follows the image (the folder form);
  // kDamaged for anything else that is not a sound payload; kReadFailed when
  // program cannot be read. program must outlive the reader.
  DistStatus Open(ByteSource& program);

  // The entries of an opened payload, in their order in the file.
  const std::vector<PayloadEntry>& Entries() const { return entries_; }
  // The entries as a file list (the one-file form's setup.exe is not among them).
  FileList Listing() const;

  // Unpacks one entry into sink (nullptr: into nothing) in pieces of at most
  // kTransferPiece, checking its packed stream, its size and its SHA-256 on
  // the way: kDamaged when any differs. The hash is known only at the end:
  // on failure the sink has had the bytes so far, and the caller discards
  // them.
  DistStatus Extract(size_t index, ByteSink* sink);
  // Every entry unpacked into nothing: the whole payload checked.
  DistStatus VerifyAll();

 private:
  ByteSource* source_ = nullptr;
  std::vector<PayloadEntry> entries_;
};
