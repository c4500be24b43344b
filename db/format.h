// The database file's layout. Every integer in the file is a 32-bit
// two's-complement little-endian value; every position is an absolute offset.
//
//   0   magic (38 bytes)
//   38  RootCell: payload position of the root cell, -1 while there is none
//   42  DataEnd:  end of the block area
//   46  block area: blocks back to back, each a 4-byte total size + payload
//   DataEnd  free-list area: count n, n block starts, n sizes
//
// A record payload is a 12-byte header (kind, two reserved bytes, compressed
// flag, stored size, unpacked size), the stored bytes, then a list of positions.
#pragma once
#include <cstdint>
#include <cstring>

namespace dbformat {

constexpr char kMagic[] = "cvdb1xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx\n";
constexpr int32_t kMagicSize = 38;
constexpr int32_t kRootCellOffset = 38;
constexpr int32_t kDataEndOffset = 42;
constexpr int32_t kHeaderEnd = 46;  // start of the block area; DataEnd of a new file

constexpr int32_t kSizeFieldSize = 4;  // the total size in front of every payload
constexpr int32_t kRecordHeaderSize = 12;
constexpr int32_t kRootCellPayload = 4;
constexpr int32_t kFirstPayload = kHeaderEnd + kSizeFieldSize;

constexpr uint8_t kKindIndex = 1;
constexpr uint8_t kKindData = 2;
constexpr uint8_t kStoredCompressed = 1;

// A walk holds the root index and at most 15 nested ones.
constexpr int kMaxPathComponents = 16;
constexpr char kPathSeparator = '\xFF';

// Deflate never packs more than 1032 bytes into one (a length-258 match coded
// in two bits), so a stored size bounds the honest unpacked size.
constexpr int64_t kMaxInflateRatio = 1032;

static_assert(sizeof(kMagic) - 1 == kMagicSize, "magic is 37 characters and a line feed");
static_assert(kRootCellOffset == kMagicSize, "the header follows the magic");
static_assert(kDataEndOffset == kRootCellOffset + 4, "RootCell is one int32");
static_assert(kHeaderEnd == kDataEndOffset + 4, "DataEnd is one int32");
static_assert(kRecordHeaderSize == 4 + 4 + 4, "header bytes, stored size, unpacked size");
static_assert(kFirstPayload == 50, "the root cell's payload in every file");

inline int32_t GetInt32(const void* p) {
  const uint8_t* b = static_cast<const uint8_t*>(p);
  uint32_t v = static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
               static_cast<uint32_t>(b[2]) << 16 | static_cast<uint32_t>(b[3]) << 24;
  return static_cast<int32_t>(v);
}

inline void PutInt32(void* p, int32_t value) {
  uint32_t v = static_cast<uint32_t>(value);
  uint8_t* b = static_cast<uint8_t*>(p);
  b[0] = static_cast<uint8_t>(v);
  b[1] = static_cast<uint8_t>(v >> 8);
  b[2] = static_cast<uint8_t>(v >> 16);
  b[3] = static_cast<uint8_t>(v >> 24);
}

}  // namespace dbformat
