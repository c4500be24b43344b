#include "distribution/payload_reader.h"

#include <zlib.h>

#include <algorithm>
#include <set>

#include "distribution/file_name.h"
#include "distribution/le_bytes.h"
#include "distribution/payload_format.h"
#include "distribution/pe_image.h"

namespace {

using namespace payload;

struct Footer {
  uint64_t payloadOffset, payloadLength, directoryOffset;
  uint32_t directoryLength, entryCount;
  Sha256Digest checksum;
};

Footer ParseFooter(const uint8_t* b) {
  Footer f;
  f.payloadOffset = le::Get64(b + kFooterPayloadOffset);
  f.payloadLength = le::Get64(b + kFooterPayloadLength);
  f.directoryOffset = le::Get64(b + kFooterDirectoryOffset);
  f.directoryLength = le::Get32(b + kFooterDirectoryLength);
  f.entryCount = le::Get32(b + kFooterEntryCount);
  std::copy(b + kFooterChecksum, b + kFooterChecksum + 32, f.checksum.begin());
  return f;
}

// The footer's own numbers, against where it was found.
bool FooterFits(const Footer& f, uint64_t start, uint64_t end) {
  const uint64_t length = end - start;
  return f.payloadOffset == start && f.payloadLength == length && f.directoryOffset <= length &&
         f.directoryLength <= kMaxDirectoryLength && f.entryCount <= kMaxEntries &&
         f.directoryOffset + f.directoryLength + kFooterSize <= length &&
         length - kFooterSize - f.directoryOffset - f.directoryLength < kEndAlignment;
}

// The directory's records.
DistStatus ParseDirectory(const std::vector<uint8_t>& d, const Footer& f,
                          std::vector<PayloadEntry>& out) {
  std::set<std::string> seen;
  uint64_t offset = f.payloadOffset;
  size_t pos = 0;
  for (uint32_t i = 0; i < f.entryCount; ++i) {
    if (d.size() - pos < kRecordFixedSize)
      return DistStatus::Damaged("the payload's directory is cut short");
    const uint8_t* r = &d[pos];
    PayloadEntry e;
    e.file.size = le::Get64(r + kRecordSize);
    e.packedSize = le::Get64(r + kRecordPackedSize);
    std::copy(r + kRecordSha256, r + kRecordSha256 + 32, e.file.sha256.begin());
    const size_t nameLength = le::Get16(r + kRecordNameLength);
    pos += kRecordFixedSize;
    if (d.size() - pos < nameLength)
      return DistStatus::Damaged("the payload's directory is cut short");
    e.file.name.assign(reinterpret_cast<const char*>(&d[pos]), nameLength);
    pos += nameLength;
    if (!FileNameFault(e.file.name).empty())
      return DistStatus::Damaged(e.file.name, ": not a plain file name");
    if (!seen.insert(FoldedFileName(e.file.name)).second)
      return DistStatus::Damaged(e.file.name, " is carried twice");
    if (e.packedSize > f.directoryOffset - (offset - f.payloadOffset))
      return DistStatus::Damaged(e.file.name, " runs into the directory");
    e.offset = offset;
    offset += e.packedSize;
    out.push_back(std::move(e));
  }
  if (pos != d.size() || offset != f.payloadOffset + f.directoryOffset)
    return DistStatus::Damaged("the payload's directory does not match its data");
  return DistStatus::Ok();
}

class Inflater {
 public:
  Inflater() : ok_(inflateInit(&z_) == Z_OK) {}
  ~Inflater() {
    if (ok_) inflateEnd(&z_);
  }
  bool ok() const { return ok_; }
  z_stream& z() { return z_; }

 private:
  z_stream z_{};
  bool ok_;
};

// The zeros a signing tool puts between a plain program and its signature,
// so that the certificate table starts on a multiple of 8.
bool IsSigningPadding(ByteSource& program, uint64_t start, uint64_t end) {
  uint8_t bytes[kEndAlignment] = {};
  if (end - start >= kEndAlignment || !program.ReadAt(start, bytes, end - start)) return false;
  return std::all_of(bytes, bytes + (end - start), [](uint8_t b) { return b == 0; });
}

// A buffer for n bytes, or a piece of them.
size_t PieceFor(uint64_t n) {
  return n < kTransferPiece ? static_cast<size_t>(n < 1 ? 1 : n) : kTransferPiece;
}

// Inflates entry e from source, into sink when there is one, and checks it.
DistStatus Unpack(ByteSource& source, const PayloadEntry& e, ByteSink* sink) {
  const std::string& name = e.file.name;
  Inflater inflater;
  if (!inflater.ok())
    return DistStatus::Fail(DistError::kReadFailed, name, ": no memory to unpack it");
  z_stream& z = inflater.z();
  // A small entry's buffer has room for one byte past its size, where a
  // stream that runs on shows.
  std::vector<uint8_t> in(PieceFor(e.packedSize));
  std::vector<uint8_t> out(PieceFor(std::min<uint64_t>(e.file.size, kTransferPiece - 1) + 1));
  uint64_t next = e.offset, left = e.packedSize, produced = 0;
  Sha256 hash;
  int rc = Z_OK;
  while (rc != Z_STREAM_END) {
    if (z.avail_in == 0 && left > 0) {
      const size_t n = left < in.size() ? static_cast<size_t>(left) : in.size();
      if (!source.ReadAt(next, in.data(), n))
        return DistStatus::Fail(DistError::kReadFailed, name, ": cannot read it");
      z.next_in = in.data();
      z.avail_in = static_cast<uInt>(n);
      next += n;
      left -= n;
    }
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    rc = inflate(&z, Z_NO_FLUSH);
    const size_t got = out.size() - z.avail_out;
    if (rc != Z_OK && rc != Z_STREAM_END && !(rc == Z_BUF_ERROR && left > 0))
      return DistStatus::Damaged(name, ": its packed data is broken");
    if (got > e.file.size - produced) return DistStatus::Damaged(name, " unpacks past its size");
    produced += got;
    hash.Update(out.data(), got);
    if (sink && got > 0 && !sink->Write(out.data(), got))
      return DistStatus::Fail(DistError::kWriteFailed, name, ": cannot write it");
  }
  if (left != 0 || z.avail_in != 0) return DistStatus::Damaged(name, ": its packed data runs on");
  if (produced != e.file.size) return DistStatus::Damaged(name, " unpacks short of its size");
  if (hash.Final() != e.file.sha256) return DistStatus::Damaged(name, " differs from its SHA-256");
  return DistStatus::Ok();
}

}  // namespace

DistStatus PayloadReader::Open(ByteSource& program) {
  source_ = nullptr;
  entries_.clear();
  PeLayout pe;
  DistStatus status = ReadPeLayout(program, pe);
  if (!status.ok()) return status;
  const uint64_t start = pe.imageEnd, end = pe.AppendedEnd(program.Size());
  if (end == start || (pe.Signed() && IsSigningPadding(program, start, end)))
    return DistStatus::Fail(DistError::kNoPayload, "nothing follows the program");
  if (end - start < kFooterSize) return DistStatus::Damaged("the payload is cut short");

  uint8_t raw[kFooterSize];
  if (!program.ReadAt(end - kFooterSize, raw, kFooterSize))
    return DistStatus::Fail(DistError::kReadFailed, "cannot read the payload's footer");
  if (std::string(reinterpret_cast<char*>(raw + kFooterMagic), kMagicSize) != kMagic)
    return DistStatus::Damaged("no payload footer where the program ends");
  const Footer footer = ParseFooter(raw);
  // The numbers only place the sealed part, which is read whole and then
  // checked; the entries' bytes are checked as they are unpacked.
  if (!FooterFits(footer, start, end))
    return DistStatus::Damaged("the payload's footer does not fit");
  const uint64_t sealedStart = start + footer.directoryOffset;
  const uint64_t sealedEnd = end - kFooterSize + kFooterChecksum;
  std::vector<uint8_t> sealed(static_cast<size_t>(sealedEnd - sealedStart));
  if (!program.ReadAt(sealedStart, sealed.data(), sealed.size()))
    return DistStatus::Fail(DistError::kReadFailed, "cannot read the payload's directory");
  if (Sha256Of(sealed.data(), sealed.size()) != footer.checksum)
    return DistStatus::Damaged("the payload's checksum does not match");
  sealed.resize(footer.directoryLength);
  std::vector<PayloadEntry> entries;
  if (!(status = ParseDirectory(sealed, footer, entries)).ok()) return status;
  source_ = &program;
  entries_ = std::move(entries);
  return DistStatus::Ok();
}

FileList PayloadReader::Listing() const {
  FileList files;
  for (const PayloadEntry& e : entries_) files.push_back(e.file);
  return files;
}

DistStatus PayloadReader::Extract(size_t index, ByteSink* sink) {
  if (!source_ || index >= entries_.size())
    return DistStatus::Fail(DistError::kReadFailed, "no such entry in an opened payload");
  return Unpack(*source_, entries_[index], sink);
}

DistStatus PayloadReader::VerifyAll() {
  DistStatus status;
  for (size_t i = 0; i < entries_.size() && status.ok(); ++i) status = Extract(i, nullptr);
  return status;
}
