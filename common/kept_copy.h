// What proves a copy kept for a roll-back (docs/install-recovery.md, rule 6):
// its size and SHA-256, recorded when it was kept and checked before it is
// put back.
#pragma once
#include <cstdint>
#include <string>

struct CopyProof {
  uint64_t size = 0;
  std::string sha256;  // 64 lower-case hexadecimal digits
};

// The proof of the file at path as it is now; false when it cannot be read
// whole.
bool ProofOf(const std::string& path, CopyProof* proof);

// Whether the file at path is there with the proof's size and SHA-256.
bool Proves(const std::string& path, const CopyProof& proof);
