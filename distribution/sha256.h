// SHA-256 (FIPS 180-4), fed in pieces: the distribution's files and the
// payload are hashed as they stream past, never held whole.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

using Sha256Digest = std::array<uint8_t, 32>;

class Sha256 {
 public:
  Sha256();
  void Update(const void* data, size_t count);
  // The digest of everything fed so far; the object is spent afterwards.
  Sha256Digest Final();

 private:
  void Blocks(const uint8_t* data, size_t count);  // count blocks of 64 bytes
  void Block(const uint8_t* block);

  std::array<uint32_t, 8> state_;
  uint8_t buffer_[64];
  size_t buffered_ = 0;
  uint64_t length_ = 0;  // bytes fed
};

Sha256Digest Sha256Of(const void* data, size_t count);

// Whether the processor's SHA instructions do the work (x86 processors that
// have them; the default there). use false makes the portable code do it, as
// the tests check both; returns whether they are used now.
bool UseSha256Extensions(bool use);

// 64 lower-case hexadecimal digits.
std::string Sha256Hex(const Sha256Digest& digest);
// Reads 64 hexadecimal digits (either case); false on anything else.
bool ParseSha256Hex(const std::string& text, Sha256Digest& out);
