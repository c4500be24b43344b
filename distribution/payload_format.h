// The payload that turns setup.exe into one file carrying its distribution.
// It is appended to the program; a signature may follow it. All integers are
// unsigned little-endian; P is the payload's offset in the file (the end of the
// program's image), E the footer's end (the end of the file, or the start of
// the certificate table when the file is signed). docs/distribution-format.md.
//
//   P                 entry data: each entry's zlib stream (RFC 1950), back to
//                     back in directory order
//   P + dirOffset     directory, one record per entry:
//                       0  u64 size (unpacked)
//                       8  u64 packed size (of its zlib stream)
//                      16  32-byte SHA-256 of the unpacked bytes
//                      48  u16 name length n, then n bytes of name
//                     0 to 7 zero bytes, so that E falls on a multiple of 8
//                     (Authenticode pads to one; this way it never has to)
//   E - 72            footer:
//                       0  u64 payload offset P
//                       8  u64 payload length E - P
//                      16  u64 directory offset (from P)
//                      24  u32 directory length
//                      28  u32 entry count
//                      32  32-byte SHA-256 of bytes P + directory offset ..
//                          E - 40: the directory, its padding and the
//                          footer's numbers (each entry has its own SHA-256)
//                      64  magic "CVPAYLD2"
#pragma once
#include <cstddef>
#include <cstdint>

namespace payload {

constexpr char kMagic[] = "CVPAYLD2";
constexpr size_t kMagicSize = 8;

constexpr size_t kFooterPayloadOffset = 0;
constexpr size_t kFooterPayloadLength = 8;
constexpr size_t kFooterDirectoryOffset = 16;
constexpr size_t kFooterDirectoryLength = 24;
constexpr size_t kFooterEntryCount = 28;
constexpr size_t kFooterChecksum = 32;
constexpr size_t kFooterMagic = 64;
constexpr size_t kFooterSize = 72;

constexpr size_t kRecordSize = 0;
constexpr size_t kRecordPackedSize = 8;
constexpr size_t kRecordSha256 = 16;
constexpr size_t kRecordNameLength = 48;
constexpr size_t kRecordFixedSize = 50;  // then the name

constexpr size_t kEndAlignment = 8;

// Bounds that keep the reader's memory small whatever a file claims.
constexpr uint32_t kMaxEntries = 4096;
constexpr uint32_t kMaxDirectoryLength = 1 << 20;

static_assert(sizeof(kMagic) - 1 == kMagicSize, "eight bytes of magic");
static_assert(kFooterChecksum == kFooterEntryCount + 4, "the checksum follows the counts");
static_assert(kFooterMagic == kFooterChecksum + 32, "the magic follows the checksum");
static_assert(kFooterSize == kFooterMagic + kMagicSize, "the magic ends the footer");
static_assert(kFooterSize % kEndAlignment == 0, "an aligned footer keeps E aligned");
static_assert(kRecordFixedSize == kRecordNameLength + 2, "the name follows its u16 length");

}  // namespace payload
