#include "distribution/pe_image.h"

#include <algorithm>
#include <vector>

#include "distribution/le_bytes.h"

namespace {

const uint64_t kLfanewOffset = 0x3C;
const uint64_t kCoffSize = 20;
const uint64_t kSectionHeaderSize = 40;
const uint64_t kSymbolSize = 18;
const uint32_t kMaxSections = 96;
const uint32_t kSecurityDirectory = 4;

DistStatus NotAProgram(const char* why) {
  return DistStatus::Damaged("not a Windows program", why);
}

bool Read(ByteSource& file, uint64_t offset, std::vector<uint8_t>& out, size_t count) {
  out.resize(count);
  return file.ReadAt(offset, out.data(), count);
}

}  // namespace

DistStatus ReadPeLayout(ByteSource& file, PeLayout& out) {
  const uint64_t size = file.Size();
  std::vector<uint8_t> b;
  if (!Read(file, 0, b, 64) || b[0] != 'M' || b[1] != 'Z') return NotAProgram(": no MZ header");
  const uint64_t pe = le::Get32(&b[kLfanewOffset]);
  if (!Read(file, pe, b, 4 + kCoffSize) || le::Get32(&b[0]) != 0x00004550)
    return NotAProgram(": no PE signature");
  const uint8_t* coff = &b[4];
  const uint32_t sections = le::Get16(coff + 2);
  const uint64_t symbols = le::Get32(coff + 8), symbolCount = le::Get32(coff + 12);
  const uint32_t optionalSize = le::Get16(coff + 16);
  const uint64_t optional = pe + 4 + kCoffSize;
  if (sections > kMaxSections || !Read(file, optional, b, optionalSize) || optionalSize < 2)
    return NotAProgram(": a bad file header");

  // PE32 and PE32+ place the data directories differently.
  const uint16_t magic = le::Get16(&b[0]);
  if (magic != 0x10B && magic != 0x20B) return NotAProgram(": an unknown optional header");
  const size_t countAt = magic == 0x10B ? 92 : 108;
  const size_t directory = countAt + 4 + 8 * kSecurityDirectory;
  if (optionalSize < directory + 8 || le::Get32(&b[countAt]) <= kSecurityDirectory)
    return NotAProgram(": no security directory");
  uint64_t end = std::max<uint64_t>(le::Get32(&b[60]),  // SizeOfHeaders
                                    optional + optionalSize + sections * kSectionHeaderSize);
  const uint64_t certOffset = le::Get32(&b[directory]), certSize = le::Get32(&b[directory + 4]);

  if (!Read(file, optional + optionalSize, b, sections * kSectionHeaderSize))
    return NotAProgram(": a cut section table");
  for (uint32_t i = 0; i < sections; ++i) {
    const uint8_t* section = &b[i * kSectionHeaderSize];
    const uint64_t rawSize = le::Get32(section + 16), rawOffset = le::Get32(section + 20);
    if (rawSize != 0) end = std::max(end, rawOffset + rawSize);
  }
  // Symbols, then the string table, whose first four bytes give its length.
  if (symbols != 0) {
    const uint64_t strings = symbols + symbolCount * kSymbolSize;
    if (!Read(file, strings, b, 4)) return NotAProgram(": cut symbols");
    end = std::max(end, strings + le::Get32(&b[0]));
  }

  if (end > size) return DistStatus::Damaged("the program is cut short");
  if ((certOffset == 0) != (certSize == 0) ||
      (certSize != 0 && (certOffset < end || certOffset + certSize > size)))
    return DistStatus::Damaged("the signature's certificate table lies outside the file");
  out.imageEnd = end;
  out.certificateOffset = certOffset;
  out.certificateSize = certSize;
  out.checksumField = optional + 64;
  out.securityField = optional + directory;
  return DistStatus::Ok();
}

DistStatus CheckSameProgram(ByteSource& plain, ByteSource& program) {
  PeLayout a, b;
  DistStatus status = ReadPeLayout(plain, a);
  if (!status.ok() || !(status = ReadPeLayout(program, b)).ok()) return status;
  if (a.Signed() || a.imageEnd != plain.Size())
    return DistStatus::Damaged("the program is signed or carries data");
  const uint64_t end = b.AppendedEnd(program.Size());
  if (a.imageEnd != b.imageEnd || a.checksumField != b.checksumField ||
      a.securityField != b.securityField || end - b.imageEnd >= 8)
    return DistStatus::Damaged("another program");
  std::vector<uint8_t> x, y;
  for (uint64_t at = 0; at < end; at += x.size()) {
    const size_t n = static_cast<size_t>(std::min<uint64_t>(kTransferPiece, end - at));
    // What a signing tool pads the image with reads as zeros in the plain one.
    const uint64_t imageLeft = a.imageEnd - std::min(at, a.imageEnd);
    const size_t inImage = static_cast<size_t>(std::min<uint64_t>(n, imageLeft));
    x.clear();
    if ((inImage > 0 && !Read(plain, at, x, inImage)) || !Read(program, at, y, n))
      return DistStatus::Fail(DistError::kReadFailed, "the programs cannot be read");
    x.resize(n, 0);
    for (size_t i = 0; i < n; ++i) {
      const uint64_t offset = at + i;
      const bool rewritten = offset - a.checksumField < 4 || offset - a.securityField < 8;
      if (x[i] != y[i] && !rewritten) return DistStatus::Damaged("another program");
    }
  }
  return DistStatus::Ok();
}
