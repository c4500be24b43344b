#include "distribution/payload_writer.h"

#include <zlib.h>

#include <set>

#include "distribution/file_name.h"
#include "distribution/le_bytes.h"
#include "distribution/payload_format.h"
#include "distribution/pe_image.h"

namespace {

using namespace payload;

// Passes bytes on to the sink, counting them.
class PayloadOut {
 public:
  explicit PayloadOut(ByteSink& sink) : sink_(sink) {}
  bool Write(const void* data, size_t count) {
    written_ += count;
    return sink_.Write(data, count);
  }
  uint64_t written() const { return written_; }

 private:
  ByteSink& sink_;
  uint64_t written_ = 0;
};

class Deflater {
 public:
  Deflater() : ok_(deflateInit(&z_, Z_BEST_COMPRESSION) == Z_OK) {}
  ~Deflater() {
    if (ok_) deflateEnd(&z_);
  }
  bool ok() const { return ok_; }
  z_stream& z() { return z_; }

 private:
  z_stream z_{};
  bool ok_;
};

// Packs one file's bytes into out, filling in its sizes and SHA-256.
DistStatus Pack(ByteSource& data, PayloadOut& out, PayloadEntry& e) {
  Deflater deflater;
  if (!deflater.ok())
    return DistStatus::Fail(DistError::kWriteFailed, "no memory to pack " + e.file.name);
  z_stream& z = deflater.z();
  std::vector<uint8_t> in(kTransferPiece), packed(kTransferPiece);
  const uint64_t size = data.Size(), before = out.written();
  uint64_t read = 0;
  Sha256 hash;
  int rc = Z_OK;
  while (rc != Z_STREAM_END) {
    if (z.avail_in == 0 && read < size) {
      const size_t n = size - read < in.size() ? static_cast<size_t>(size - read) : in.size();
      if (!data.ReadAt(read, in.data(), n))
        return DistStatus::Fail(DistError::kReadFailed, "cannot read " + e.file.name);
      hash.Update(in.data(), n);
      z.next_in = in.data();
      z.avail_in = static_cast<uInt>(n);
      read += n;
    }
    z.next_out = packed.data();
    z.avail_out = static_cast<uInt>(packed.size());
    rc = deflate(&z, read == size ? Z_FINISH : Z_NO_FLUSH);
    if (rc == Z_STREAM_ERROR)
      return DistStatus::Fail(DistError::kWriteFailed, "cannot pack " + e.file.name);
    const size_t got = packed.size() - z.avail_out;
    if (got > 0 && !out.Write(packed.data(), got))
      return DistStatus::Fail(DistError::kWriteFailed, "cannot write " + e.file.name);
  }
  e.file.size = size;
  e.file.sha256 = hash.Final();
  e.packedSize = out.written() - before;
  return DistStatus::Ok();
}

void AppendRecord(std::vector<uint8_t>& d, const PayloadEntry& e) {
  uint8_t r[kRecordFixedSize] = {};
  le::Put(r + kRecordSize, e.file.size, 8);
  le::Put(r + kRecordPackedSize, e.packedSize, 8);
  std::copy(e.file.sha256.begin(), e.file.sha256.end(), r + kRecordSha256);
  le::Put(r + kRecordNameLength, e.file.name.size(), 2);
  d.insert(d.end(), r, r + kRecordFixedSize);
  d.insert(d.end(), e.file.name.begin(), e.file.name.end());
}

DistStatus CopyProgram(ByteSource& program, ByteSink& out) {
  std::vector<uint8_t> piece(kTransferPiece);
  for (uint64_t at = 0, size = program.Size(); at < size;) {
    const size_t n = size - at < piece.size() ? static_cast<size_t>(size - at) : piece.size();
    if (!program.ReadAt(at, piece.data(), n))
      return DistStatus::Fail(DistError::kReadFailed, "cannot read the program");
    if (!out.Write(piece.data(), n))
      return DistStatus::Fail(DistError::kWriteFailed, "cannot write the program");
    at += n;
  }
  return DistStatus::Ok();
}

}  // namespace

DistStatus WritePayload(ByteSource& program, const std::vector<PackFile>& files, ByteSink& sink,
                        std::vector<PayloadEntry>* written) {
  PeLayout pe;
  DistStatus status = ReadPeLayout(program, pe);
  if (!status.ok()) return status;
  if (pe.Signed() || pe.imageEnd != program.Size())
    return DistStatus::Damaged("the program is signed or carries data already");
  if (files.size() > kMaxEntries) return DistStatus::Damaged("too many files");
  std::set<std::string> seen;
  for (const PackFile& f : files) {
    const std::string fault = FileNameFault(f.name);
    if (!fault.empty()) return DistStatus::Damaged("the name \"" + f.name + "\" has " + fault);
    if (!seen.insert(FoldedFileName(f.name)).second)
      return DistStatus::Damaged(f.name + " is given twice");
  }
  if (!(status = CopyProgram(program, sink)).ok()) return status;

  const uint64_t start = program.Size();
  PayloadOut out(sink);
  std::vector<PayloadEntry> entries(files.size());
  std::vector<uint8_t> directory;
  for (size_t i = 0; i < files.size(); ++i) {
    entries[i].file.name = files[i].name;
    entries[i].offset = start + out.written();
    if (!(status = Pack(*files[i].data, out, entries[i])).ok()) return status;
    AppendRecord(directory, entries[i]);
  }
  if (directory.size() > kMaxDirectoryLength)
    return DistStatus::Damaged("the directory is too long");
  const uint64_t directoryOffset = out.written(), directoryLength = directory.size();
  // Zeros after the directory so that the footer ends on a multiple of 8.
  const uint64_t unaligned = start + directoryOffset + directoryLength + kFooterSize;
  directory.resize(directoryLength + (kEndAlignment - unaligned % kEndAlignment) % kEndAlignment);
  uint8_t footer[kFooterSize] = {};
  le::Put(footer + kFooterPayloadOffset, start, 8);
  le::Put(footer + kFooterPayloadLength, directoryOffset + directory.size() + kFooterSize, 8);
  le::Put(footer + kFooterDirectoryOffset, directoryOffset, 8);
  le::Put(footer + kFooterDirectoryLength, directoryLength, 4);
  le::Put(footer + kFooterEntryCount, entries.size(), 4);
  std::copy(kMagic, kMagic + kMagicSize, footer + kFooterMagic);
  // The checksum seals the directory, its padding and the footer's numbers.
  Sha256 sealed;
  sealed.Update(directory.data(), directory.size());
  sealed.Update(footer, kFooterChecksum);
  const Sha256Digest checksum = sealed.Final();
  std::copy(checksum.begin(), checksum.end(), footer + kFooterChecksum);
  if (!out.Write(directory.data(), directory.size()) || !out.Write(footer, kFooterSize))
    return DistStatus::Fail(DistError::kWriteFailed, "cannot write the directory");
  if (written) *written = std::move(entries);
  return DistStatus::Ok();
}
