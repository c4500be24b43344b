// Where the distribution's bytes come from and where they go. The payload
// reader works through these only, so the running setup.exe, a file or a test's
// memory can feed it, and the install engine decides where unpacked bytes land.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual uint64_t Size() const = 0;
  // Fills out with count bytes from offset; false when not all of them can be read.
  virtual bool ReadAt(uint64_t offset, void* out, size_t count) = 0;
};

class ByteSink {
 public:
  virtual ~ByteSink() = default;
  // Takes the next count bytes; false stops the transfer.
  virtual bool Write(const void* data, size_t count) = 0;
};

// A source over bytes the caller keeps alive.
class MemorySource : public ByteSource {
 public:
  explicit MemorySource(const std::string& bytes) : bytes_(bytes) {}
  uint64_t Size() const override { return bytes_.size(); }
  bool ReadAt(uint64_t offset, void* out, size_t count) override {
    if (offset > bytes_.size() || count > bytes_.size() - offset) return false;
    if (count > 0) std::memcpy(out, bytes_.data() + offset, count);
    return true;
  }

 private:
  const std::string& bytes_;
};

// Pieces in which sources are read and sinks written: memory stays bounded
// whatever a file's size, and a big file moves in few, long sequential reads
// and writes.
constexpr size_t kTransferPiece = 1024 * 1024;
