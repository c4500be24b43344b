// Reading a stretch of a source in pieces: hashed, copied, or both on the
// way, so that each byte is read once.
#pragma once
#include <cstdint>

#include "distribution/byte_io.h"
#include "distribution/sha256.h"
#include "distribution/status.h"

// Reads bytes [offset, offset + length) of source in pieces of at most
// kTransferPiece, feeding each to hash and to copy when given; kReadFailed
// when any of them cannot be read, kWriteFailed when copy refuses them.
DistStatus ReadSourceRange(ByteSource& source, uint64_t offset, uint64_t length, Sha256* hash,
                           ByteSink* copy);

// Feeds bytes [offset, offset + length) of source to hash.
inline DistStatus HashSourceRange(ByteSource& source, uint64_t offset, uint64_t length,
                                  Sha256& hash) {
  return ReadSourceRange(source, offset, length, &hash, nullptr);
}

// The SHA-256 of the whole source.
DistStatus Sha256OfSource(ByteSource& source, Sha256Digest& out);
