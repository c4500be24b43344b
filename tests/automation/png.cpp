// PNG files: 8-bit RGB, no interlace, every row with filter 0, one IDAT chunk.
#include <zlib.h>

#include <fstream>

#include "tests/automation/automation.h"

namespace automation {
namespace {

void PutU32(std::string& out, unsigned long v) {
  out += static_cast<char>((v >> 24) & 0xFF);
  out += static_cast<char>((v >> 16) & 0xFF);
  out += static_cast<char>((v >> 8) & 0xFF);
  out += static_cast<char>(v & 0xFF);
}

// Length, type, data, and the CRC of type and data.
void PutChunk(std::string& out, const char type[4], const std::string& data) {
  PutU32(out, data.size());
  std::string body = std::string(type, 4) + data;
  out += body;
  PutU32(out, crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size())));
}

}  // namespace

std::string EncodePng(const Image& image) {
  if (image.width <= 0 || image.height <= 0 ||
      image.rgb.size() != static_cast<size_t>(image.width) * image.height * 3)
    throw Failure("cannot encode an empty or inconsistent image");
  std::string header;
  PutU32(header, image.width);
  PutU32(header, image.height);
  header += std::string("\x08\x02\x00\x00\x00", 5);  // depth 8, RGB, deflate, filter 0, no interlace

  const size_t row = static_cast<size_t>(image.width) * 3;
  std::string raw;
  raw.reserve((row + 1) * image.height);
  for (int y = 0; y < image.height; ++y) {
    raw += '\0';
    raw.append(reinterpret_cast<const char*>(&image.rgb[y * row]), row);
  }
  uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
  std::string packed(packedSize, '\0');
  if (compress2(reinterpret_cast<Bytef*>(&packed[0]), &packedSize, reinterpret_cast<const Bytef*>(raw.data()),
                static_cast<uLong>(raw.size()), Z_BEST_SPEED) != Z_OK)
    throw Failure("cannot compress the image");
  packed.resize(packedSize);

  std::string png("\x89PNG\r\n\x1a\n", 8);
  PutChunk(png, "IHDR", header);
  PutChunk(png, "IDAT", packed);
  PutChunk(png, "IEND", std::string());
  return png;
}

void SavePng(const Image& image, const std::string& path) {
  std::string png = EncodePng(image);
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file) throw Failure("cannot create " + path);
  file.write(png.data(), static_cast<std::streamsize>(png.size()));
  file.close();
  if (!file) throw Failure("cannot write " + path);
}

}  // namespace automation
