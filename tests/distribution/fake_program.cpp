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
  const size_t checksum = b.size() - payload::kFooterSize + payload::kFooterChecksum;
  const Sha256Digest digest = Sha256Of(&b[kFakeProgramSize], checksum - kFakeProgramSize);
  std::copy(digest.begin(), digest.end(), &b[checksum]);
}
