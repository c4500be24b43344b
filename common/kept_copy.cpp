#include "common/kept_copy.h"

#include "distribution/sha256.h"
#include "sys/files.h"
#include "sys/utf8_case.h"

bool ProofOf(const std::string& path, CopyProof* proof) {
  Sha256 hash;
  uint64_t size = 0;
  const bool read = ReadFilePieces(path, [&](const char* data, size_t n) {
    hash.Update(data, n);
    size += n;
    return true;
  });
  if (!read) return false;
  proof->size = size;
  proof->sha256 = Sha256Hex(hash.Final());
  return true;
}

bool Proves(const std::string& path, const CopyProof& proof) {
  // A copy of another size is not the one kept: no need to read it.
  uint64_t size = 0;
  CopyProof now;
  return FileSizeOf(path, &size) && size == proof.size && ProofOf(path, &now) &&
         now.size == proof.size && Utf8SameText(now.sha256, proof.sha256);
}
