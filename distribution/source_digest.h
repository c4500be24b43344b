// The SHA-256 of a stretch of a source, read in pieces.
#pragma once
#include <cstdint>

#include "distribution/byte_io.h"
#include "distribution/sha256.h"
#include "distribution/status.h"

// Feeds bytes [offset, offset + length) of source to hash; kReadFailed when
// any of them cannot be read.
DistStatus HashSourceRange(ByteSource& source, uint64_t offset, uint64_t length, Sha256& hash);

// The SHA-256 of the whole source.
DistStatus Sha256OfSource(ByteSource& source, Sha256Digest& out);
