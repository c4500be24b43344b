// A record on its way between a caller and the file: the bytes, the record
// header fields and the two sizes. It deflates itself before a record is
// written and inflates itself after one is read.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

class TDataBuf {
 public:
  TDataBuf() = default;
  // With data, as SetData(data, size); with nullptr, an empty buffer.
  TDataBuf(const void* data, int32_t size);
  ~TDataBuf();
  TDataBuf(const TDataBuf&) = delete;
  TDataBuf& operator=(const TDataBuf&) = delete;

  // Clear, then n bytes copied from source, or n "0" characters without one;
  // Size = UnpackedSize = n. The bytes came from a caller, so Clear will wipe them.
  void SetData(const void* source, int32_t n);
  // New bytes in place of the old (freed unwiped); only Size changes.
  void ReplaceData(const void* source, int32_t n);
  // Header bytes 0, bytes wiped when Wipe is set, then freed; sizes 0.
  void Clear();
  // Takes other's bytes, header and sizes; other is left empty. Our old bytes
  // go as Clear would send them.
  void TakeFrom(TDataBuf& other);

  // The bytes up to the first NUL; empty without bytes.
  std::string Text() const;
  // nullptr without bytes; otherwise Size bytes followed by a NUL.
  const uint8_t* Data() const { return data_.get(); }
  uint8_t* MutableData() { return data_.get(); }
  int32_t Size() const { return size_; }

  // Both return the result of the last zlib call (0 on success) and report a
  // failure through DbReport; a failure leaves bytes and Compressed unchanged.
  int Compress();
  int Decompress();
  static std::string ZlibErrorText(int code);

  // The record header as stored: Kind, two reserved bytes, Compressed.
  void GetHeader(uint8_t out[4]) const;
  void SetHeader(const uint8_t in[4]);

  uint8_t Kind = 0;
  uint8_t Reserved[2] = {0, 0};
  uint8_t Compressed = 0;
  int32_t UnpackedSize = 0;
  bool Wipe = false;  // set by SetData, never reset

 private:
  void Allocate(const void* source, int32_t n);
  // As ReplaceData, taking bytes (room for n + 1) instead of copying them.
  void Adopt(std::unique_ptr<uint8_t[]> bytes, int32_t n);
  void WipeIfOwed();

  std::unique_ptr<uint8_t[]> data_;
  int32_t size_ = 0;
};
