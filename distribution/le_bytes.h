// Little-endian integers in byte buffers, as the Windows program headers and
// the payload store them.
#pragma once
#include <cstdint>

namespace le {

inline uint64_t Get(const uint8_t* p, int bytes) {
  uint64_t v = 0;
  for (int i = bytes; i-- > 0;) v = v << 8 | p[i];
  return v;
}
inline uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(Get(p, 2)); }
inline uint32_t Get32(const uint8_t* p) { return static_cast<uint32_t>(Get(p, 4)); }
inline uint64_t Get64(const uint8_t* p) { return Get(p, 8); }

inline void Put(uint8_t* p, uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i, v >>= 8) p[i] = static_cast<uint8_t>(v);
}

}  // namespace le
