#include "db/data_buf.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "db/format.h"
#include "db/report.h"
#include "db/zlib_memory.h"

namespace {

const char kZlibCaption[] = "Inflate Error";

// Through a volatile pointer: the stores must survive the free that follows.
void WipeBytes(uint8_t* p, int32_t n) {
  volatile uint8_t* v = p;
  for (int32_t i = 0; i < n; ++i) v[i] = 0;
}

}  // namespace

TDataBuf::TDataBuf(const void* data, int32_t size) {
  if (data) SetData(data, size);
}

TDataBuf::~TDataBuf() {
  if (data_) Clear();
}

void TDataBuf::Allocate(const void* source, int32_t n) {
  if (n < 0) n = 0;
  data_.reset(new uint8_t[static_cast<size_t>(n) + 1]);
  if (source)
    std::memcpy(data_.get(), source, static_cast<size_t>(n));
  else
    std::memset(data_.get(), '0', static_cast<size_t>(n));
  data_[n] = 0;
  size_ = n;
}

void TDataBuf::Adopt(std::unique_ptr<uint8_t[]> bytes, int32_t n) {
  bytes[n] = 0;
  WipeIfOwed();
  data_ = std::move(bytes);
  size_ = n;
}

// A caller's bytes are zeroed before they are freed, also when compression
// replaces them by their stream.
void TDataBuf::WipeIfOwed() {
  if (Wipe && data_) WipeBytes(data_.get(), size_);
}

void TDataBuf::SetData(const void* source, int32_t n) {
  Clear();
  Allocate(source, n);
  UnpackedSize = size_;
  Wipe = true;
}

void TDataBuf::ReplaceData(const void* source, int32_t n) {
  // The source may be our own bytes: build the new ones before freeing.
  std::unique_ptr<uint8_t[]> old = std::move(data_);
  const int32_t oldSize = size_;
  Allocate(source, n);
  if (Wipe && old) WipeBytes(old.get(), oldSize);
}

void TDataBuf::Clear() {
  Kind = 0;
  Reserved[0] = Reserved[1] = 0;
  Compressed = 0;
  if (data_) {
    if (Wipe) WipeBytes(data_.get(), size_);
    data_.reset();
  }
  size_ = 0;
  UnpackedSize = 0;
}

void TDataBuf::TakeFrom(TDataBuf& other) {
  bool wipe = Wipe;
  Clear();
  data_ = std::move(other.data_);
  size_ = other.size_;
  Kind = other.Kind;
  Reserved[0] = other.Reserved[0];
  Reserved[1] = other.Reserved[1];
  Compressed = other.Compressed;
  UnpackedSize = other.UnpackedSize;
  Wipe = wipe || other.Wipe;
  other.size_ = 0;
  other.Clear();
}

std::string TDataBuf::Text() const {
  if (!data_) return std::string();
  const char* p = reinterpret_cast<const char*>(data_.get());
  const void* nul = std::memchr(p, 0, static_cast<size_t>(size_));
  return std::string(p, nul ? static_cast<const char*>(nul) - p : size_);
}

void TDataBuf::GetHeader(uint8_t out[4]) const {
  out[0] = Kind;
  out[1] = Reserved[0];
  out[2] = Reserved[1];
  out[3] = Compressed;
}

void TDataBuf::SetHeader(const uint8_t in[4]) {
  Kind = in[0];
  Reserved[0] = in[1];
  Reserved[1] = in[2];
  Compressed = in[3];
}

int TDataBuf::Compress() {
  z_stream zs{};
  zs.zalloc = ZlibAlloc;
  zs.zfree = ZlibFree;
  int result = deflateInit2(&zs, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15, 9, Z_DEFAULT_STRATEGY);
  if (result == Z_OK) {
    // Room for incompressible input: 1.2 times the input and 16 bytes, truncated.
    uInt capacity = static_cast<uInt>(static_cast<double>(size_) * 1.2 + 16);
    std::unique_ptr<uint8_t[]> work(new uint8_t[capacity + 1]);
    UnpackedSize = size_;
    zs.next_in = data_.get();
    zs.avail_in = static_cast<uInt>(size_);
    zs.next_out = work.get();
    zs.avail_out = capacity;
    result = deflate(&zs, Z_FINISH);
    if (result == Z_STREAM_END) {
      result = deflateEnd(&zs);
      if (result == Z_OK) {
        // The work area has a byte to spare for the NUL: it becomes Data as it is.
        Adopt(std::move(work), static_cast<int32_t>(zs.total_out));
        Compressed = 1;
      }
    } else {
      deflateEnd(&zs);  // frees the stream; the result stays deflate's
    }
  }
  if (result != Z_OK) DbReport(kZlibCaption, ZlibErrorText(result), true);
  return result;
}

int TDataBuf::Decompress() {
  // The unpacked size comes from the file: refuse one that no stream of this
  // length can honestly produce rather than allocate it.
  if (UnpackedSize < 0 || UnpackedSize > dbformat::kMaxInflateRatio * size_) {
    DbReport(kZlibCaption, ZlibErrorText(Z_DATA_ERROR), false);
    return Z_DATA_ERROR;
  }
  z_stream zs{};
  zs.zalloc = ZlibAlloc;
  zs.zfree = ZlibFree;
  zs.next_in = data_.get();
  zs.avail_in = static_cast<uInt>(size_);
  int result = inflateInit2(&zs, 15);
  if (result == Z_OK) {
    // At least one byte of room: an empty record's stream must inflate too.
    uInt room = static_cast<uInt>(std::max<int32_t>(UnpackedSize, 1));
    // One byte more for the NUL behind the bytes: the work area becomes Data.
    std::unique_ptr<uint8_t[]> work(new uint8_t[room + 1]);
    zs.next_out = work.get();
    zs.avail_out = room;
    result = inflate(&zs, Z_FINISH);
    if (result == Z_STREAM_END) {
      result = inflateEnd(&zs);
      if (result == Z_OK) {
        Adopt(std::move(work), static_cast<int32_t>(zs.total_out));
        Compressed = 0;
      }
    } else {
      inflateEnd(&zs);
    }
  }
  if (result != Z_OK) DbReport(kZlibCaption, ZlibErrorText(result), false);
  return result;
}

std::string TDataBuf::ZlibErrorText(int code) {
  const std::string prefix = "Decompression Error: ";
  switch (code) {
    case Z_STREAM_ERROR: return prefix + "Z_STREAM_ERROR";
    case Z_MEM_ERROR: return prefix + "Z_MEM_ERROR";
    case Z_BUF_ERROR: return prefix + "Z_BUF_ERROR";
    case Z_VERSION_ERROR: return prefix + "Z_VERSION_ERROR";
    default: return prefix + std::to_string(code);
  }
}
