#include "distribution/source_digest.h"

#include <vector>

DistStatus ReadSourceRange(ByteSource& source, uint64_t offset, uint64_t length, Sha256* hash,
                           ByteSink* copy) {
  std::vector<uint8_t> piece(length < kTransferPiece ? static_cast<size_t>(length) : kTransferPiece);
  while (length > 0) {
    const size_t n = length < piece.size() ? static_cast<size_t>(length) : piece.size();
    if (!source.ReadAt(offset, piece.data(), n))
      return DistStatus::Fail(DistError::kReadFailed, "the file cannot be read");
    if (hash) hash->Update(piece.data(), n);
    if (copy && !copy->Write(piece.data(), n))
      return DistStatus::Fail(DistError::kWriteFailed, "the copy cannot be written");
    offset += n;
    length -= n;
  }
  return DistStatus::Ok();
}

DistStatus Sha256OfSource(ByteSource& source, Sha256Digest& out) {
  Sha256 hash;
  DistStatus status = HashSourceRange(source, 0, source.Size(), hash);
  if (status.ok()) out = hash.Final();
  return status;
}
