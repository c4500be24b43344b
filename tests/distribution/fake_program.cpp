#include "tests/distribution/fake_program.h"

#include <algorithm>

#include "distribution/le_bytes.h"
#include "distribution/payload_format.h"
#include "distribution/sha256.h"

namespace {

const size_t kOptionalHeader = 0x58;
const size_t kSecurityEntry = kOptionalHeader + 96 + 4 * 8;

uint8_t* At(std::string& b, size_t offset) { return reinterpret_cast<uint8_t*>(&b[offset]); }

}  // namespace

std::string FakeProgram() {
  std::string b(kFakeProgramSize, '\0');
  b[0] = 'M', b[1] = 'Z';
  le::Put(At(b, 0x3C), 0x40, 4);
  le::Put(At(b, 0x40), 0x4550, 4);
  le::Put(At(b, 0x44 + 16), 224, 2);  // SizeOfOptionalHeader
  le::Put(At(b, kOptionalHeader), 0x10B, 2);
  le::Put(At(b, kOptionalHeader + 60), kFakeProgramSize, 4);  // SizeOfHeaders
  le::Put(At(b, kOptionalHeader + 92), 16, 4);                // NumberOfRvaAndSizes
  return b;
}

void FakeSign(std::string& b) {
  le::Put(At(b, kSecurityEntry), b.size(), 4);
  le::Put(At(b, kSecurityEntry + 4), 24, 4);
  b += std::string(24, 'C');
}

void Reseal(std::string& b) {
  if (b.size() < kFakeProgramSize + payload::kFooterSize) return;
  const size_t footer = b.size() - payload::kFooterSize;
  const size_t checksum = footer + payload::kFooterChecksum;
  const uint64_t directory = le::Get64(At(b, footer + payload::kFooterDirectoryOffset));
  if (directory > footer - kFakeProgramSize) return;
  const size_t sealed = kFakeProgramSize + static_cast<size_t>(directory);
  const Sha256Digest digest = Sha256Of(&b[sealed], checksum - sealed);
  std::copy(digest.begin(), digest.end(), &b[checksum]);
}
