// A 64-bit hash of a run of bytes (the XXH64 algorithm): the journal's seal,
// and its record of new bytes it does not keep. Fast enough to seal every
// write, and an accidental collision is a 1 in 2^64 chance.
#pragma once
#include <cstddef>
#include <cstdint>

uint64_t Hash64(const void* data, size_t size, uint64_t seed = 0);
