#include <gtest/gtest.h>

#include <random>

#include "distribution/payload_reader.h"
#include "distribution/payload_writer.h"
#include "distribution/pe_image.h"
#include "tests/distribution/fake_program.h"

#ifdef _WIN32
#include "distribution/file_source.h"
#include "sys/module_path.h"
#endif

namespace {

class StringSink : public ByteSink {
 public:
  bool Write(const void* data, size_t count) override {
    largest = std::max(largest, count);
    bytes.append(static_cast<const char*>(data), count);
    return bytes.size() <= limit;
  }
  std::string bytes;
  size_t largest = 0, limit = SIZE_MAX;
};

std::string Random(size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string s(size, '\0');
  for (char& c : s) c = static_cast<char>(random());
  return s;
}

// A one-file program carrying contents under names.
std::string Pack(const std::vector<std::pair<std::string, std::string>>& files) {
  const std::string program = FakeProgram();
  MemorySource programSource(program);
  std::vector<std::unique_ptr<MemorySource>> sources;
  std::vector<PackFile> packed;
  for (const auto& [name, content] : files) {
    sources.push_back(std::make_unique<MemorySource>(content));
    packed.push_back({name, sources.back().get()});
  }
  StringSink out;
  EXPECT_TRUE(WritePayload(programSource, packed, out).ok());
  EXPECT_EQ(out.bytes.size() % 8, 0u);  // or Authenticode would pad it, outside the payload
  return out.bytes;
}

// Counts the bytes read through it.
class CountingSource : public ByteSource {
 public:
  explicit CountingSource(ByteSource& source) : source_(source) {}
  uint64_t Size() const override { return source_.Size(); }
  bool ReadAt(uint64_t offset, void* out, size_t count) override {
    read += count;
    return source_.ReadAt(offset, out, count);
  }
  uint64_t read = 0;

 private:
  ByteSource& source_;
};

DistError OpenError(const std::string& bytes) {
  MemorySource source(bytes);
  PayloadReader reader;
  return reader.Open(source).error;
}

// The first refusal of opening the payload or unpacking its entries.
DistError CheckError(const std::string& bytes) {
  MemorySource source(bytes);
  PayloadReader reader;
  const DistStatus opened = reader.Open(source);
  return opened.ok() ? reader.VerifyAll().error : opened.error;
}

const std::vector<std::pair<std::string, std::string>> kFiles = {
    {"CV.exe", Random(5000, 1)}, {"ReadMe.txt", std::string(70000, 'r')}, {"empty", ""}};

TEST(Payload, RoundTripOverSizesSignedOrNot) {
  std::vector<std::pair<std::string, std::string>> files;
  for (size_t size : {0, 1, 32767, 32768, 32769, 300001})
    files.push_back({"f" + std::to_string(size), Random(size, static_cast<unsigned>(size))});
  files.push_back({"big.txt", std::string(3 << 20, 'x')});
  for (bool sign : {false, true}) {
    std::string bytes = Pack(files);
    if (sign) FakeSign(bytes);
    MemorySource source(bytes);
    PayloadReader reader;
    ASSERT_TRUE(reader.Open(source).ok()) << reader.Open(source).reason;
    ASSERT_EQ(reader.Entries().size(), files.size());
    for (size_t i = 0; i < files.size(); ++i) {
      StringSink sink;
      ASSERT_TRUE(reader.Extract(i, &sink).ok());
      EXPECT_EQ(reader.Entries()[i].file.name, files[i].first);
      EXPECT_TRUE(sink.bytes == files[i].second) << files[i].first;
      EXPECT_LE(sink.largest, kTransferPiece);
    }
    EXPECT_LT(reader.Entries().back().packedSize, 10000u);  // compressed
    EXPECT_EQ(reader.Listing()[1].size, 1u);
  }
}

// Signed, with or without the zeros a signing tool pads the image with.
TEST(Payload, PlainProgramHasNone) {
  const struct {
    std::string between;  // the image's end to the certificate table
    bool sign;
    DistError error;
  } cases[] = {
      {"", false, DistError::kNoPayload},
      {"", true, DistError::kNoPayload},
      {std::string(7, '\0'), true, DistError::kNoPayload},
      {std::string(7, '\0'), false, DistError::kDamaged},  // unsigned: no reason to pad
      {std::string(6, '\0') + "x", true, DistError::kDamaged},
  };
  for (const auto& c : cases) {
    std::string program = FakeProgram() + c.between;
    if (c.sign) FakeSign(program);
    EXPECT_EQ(OpenError(program), c.error) << c.between.size() << (c.sign ? " signed" : "");
  }
  EXPECT_EQ(OpenError("no program at all"), DistError::kDamaged);
}

// Opening reads the directory alone, however big the entries; unpacking reads
// each entry's packed bytes once.
TEST(Payload, OpeningReadsTheDirectoryAndUnpackingEachByteOnce) {
  const std::string bytes = Pack({{"CV.exe", "client"}, {"big", Random(3 << 20, 7)}, {"ReadMe.txt", "r"}});
  MemorySource memory(bytes);
  CountingSource source(memory);
  PayloadReader reader;
  ASSERT_TRUE(reader.Open(source).ok());
  EXPECT_LT(source.read, 2 * kFakeProgramSize);
  for (size_t i = 0; i < reader.Entries().size(); ++i) {
    source.read = 0;
    ASSERT_TRUE(reader.Extract(i, nullptr).ok());
    EXPECT_EQ(source.read, reader.Entries()[i].packedSize) << i;
  }
}

// A flipped byte of the directory or footer refuses the payload; one of an
// entry's packed bytes refuses that entry, and only it.
TEST(Payload, RefusesEveryCutAndEveryFlippedByte) {
  for (bool sign : {false, true}) {
    std::string good = Pack(kFiles);
    if (sign) FakeSign(good);
    MemorySource goodSource(good);
    PayloadReader goodReader;
    ASSERT_TRUE(goodReader.Open(goodSource).ok());
    const std::vector<PayloadEntry> entries = goodReader.Entries();
    const uint64_t directory = entries.back().offset + entries.back().packedSize;
    // Every byte after the program's headers: entries, directory, footer, signature.
    for (size_t at = kFakeProgramSize; at < good.size(); at += at < good.size() - 200 ? 97 : 1) {
      std::string flipped = good;
      flipped[at] ^= 0x20;
      MemorySource source(flipped);
      PayloadReader reader;
      const DistError opened = reader.Open(source).error;
      if (sign && at >= good.size() - 24) {
        // A signature's own bytes are Authenticode's to check.
        EXPECT_EQ(CheckError(flipped), DistError::kNone);
      } else if (at >= directory) {
        EXPECT_EQ(opened, DistError::kDamaged) << "byte " << at << " of " << good.size();
      } else {
        ASSERT_EQ(opened, DistError::kNone) << "byte " << at;
        for (size_t i = 0; i < entries.size(); ++i) {
          const bool inside = at >= entries[i].offset && at < entries[i].offset + entries[i].packedSize;
          EXPECT_EQ(reader.Extract(i, nullptr).error, inside ? DistError::kDamaged : DistError::kNone)
              << "byte " << at << ", entry " << i;
        }
      }
      if (at > kFakeProgramSize && at < good.size() - 30) {
        EXPECT_EQ(OpenError(good.substr(0, at)), DistError::kDamaged) << "cut at " << at;
      }
    }
  }
}

// A forger who makes the checksum again still meets the names and the entries' own checks.
TEST(Payload, RefusesForgeriesEvenWhenSealed) {
  const std::string content = "evil";
  const Sha256Digest digest = Sha256Of(content.data(), content.size());
  const std::string sha(digest.begin(), digest.end());
  const std::string sizeField("\x04\0\0\0\0\0\0\0", 8);
  const struct {
    std::string from, to;
    size_t fromEnd;  // where the footer's field lies, when from is not searched for
  } cases[] = {
      {"nnnnnnnnnnnn", "..\\setup.exe", 0},
      {"nnnnnnnn", "C:\\a.dll", 0},
      {"nnnnnnnnnn", "\\Windows\\a", 0},
      {"nnnnnnnnn", "sub/a.txt", 0},
      {"nnnnnn", "CV.EXE", 0},                               // CV.exe twice
      {"nnnnnn", "nnnnnn", 0},                               // the forger's reseal itself is sound
      {sha, "x" + sha.substr(1), 0},                         // another content's SHA-256
      {sizeField, std::string("\x03\0\0\0\0\0\0\0", 8), 0},  // one byte fewer
      {"", std::string("\x01\0\0\0", 4), 44},                // one entry left unread
      {"", "\xFF\xFF\xFF\xFF", 48},                          // a 4 GB directory
  };
  for (const auto& c : cases) {
    const std::string name = c.from[0] == 'n' ? c.from : "nnnnnn";
    std::string bytes = Pack({{"CV.exe", "client"}, {name, content}});
    const size_t at = c.fromEnd ? bytes.size() - c.fromEnd : bytes.rfind(c.from);
    ASSERT_NE(at, std::string::npos);
    bytes.replace(at, c.to.size(), c.to);
    Reseal(bytes);
    EXPECT_EQ(CheckError(bytes), c.from == c.to ? DistError::kNone : DistError::kDamaged) << c.to;
  }
}

TEST(Payload, ExtractStopsOnChangeOrRefusingSink) {
  std::string bytes = Pack(kFiles);
  MemorySource source(bytes);
  PayloadReader reader;
  ASSERT_TRUE(reader.Open(source).ok());
  StringSink full;
  full.limit = 1000;
  EXPECT_EQ(reader.Extract(0, &full).error, DistError::kWriteFailed);
  bytes[reader.Entries()[1].offset + 10] ^= 1;  // the file changed after it was opened
  StringSink sink;
  EXPECT_EQ(reader.Extract(1, &sink).error, DistError::kDamaged);
  EXPECT_EQ(reader.Extract(3, &sink).error, DistError::kReadFailed);
}

// The packing tool's check that the program carrying the files is the one
// it installs as the uninstaller, signed or not.
TEST(Payload, TheCarrierIsTheListedProgramWithOrWithoutItsSignature) {
  const std::string plain = FakeProgram();
  auto signedWith = [](std::string bytes, size_t padding) {
    bytes += std::string(padding, '\0');  // what a signing tool may pad the image with
    FakeSign(bytes);
    bytes[0x58 + 64] = 0x5A;  // the image's checksum, made again
    return bytes;
  };
  std::string otherCode = plain, otherSigned = signedWith(plain, 0);
  otherCode[600] = 'x';
  otherSigned[600] = 'x';
  const struct {
    std::string carrier, listed;
    DistError error;
  } cases[] = {
      {plain, plain, DistError::kNone},
      {plain, signedWith(plain, 0), DistError::kNone},
      {plain, signedWith(plain, 7), DistError::kNone},
      {plain, signedWith(plain, 8), DistError::kDamaged},  // more than padding
      {plain, otherSigned, DistError::kDamaged},
      {plain, otherCode, DistError::kDamaged},
      {signedWith(plain, 0), signedWith(plain, 0), DistError::kDamaged},  // a signed carrier
      {plain + "x", plain + "x", DistError::kDamaged},  // a carrier with data appended
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    MemorySource carrier(cases[i].carrier), listed(cases[i].listed);
    EXPECT_EQ(CheckSameProgram(carrier, listed).error, cases[i].error) << "case " << i;
  }
}

TEST(Payload, WriterRefusesWhatReaderWould) {
  const std::string plain = FakeProgram(), data = "x";
  std::string signedProgram = plain;
  FakeSign(signedProgram);
  MemorySource plainSource(plain), signedSource(signedProgram), dataSource(data);
  StringSink out;
  EXPECT_FALSE(WritePayload(plainSource, {{"a", &dataSource}, {"A", &dataSource}}, out).ok());
  EXPECT_FALSE(WritePayload(plainSource, {{"..", &dataSource}}, out).ok());
  EXPECT_FALSE(WritePayload(signedSource, {{"a", &dataSource}}, out).ok());
}

#ifdef _WIN32
// The running program reads itself as setup.exe will: shared, while Windows has it mapped.
TEST(Payload, RunningProgramReadsItself) {
  std::unique_ptr<FileSource> self;
  ASSERT_TRUE(FileSource::Open(ModuleFileName(), self).ok());
  PayloadReader reader;
  EXPECT_EQ(reader.Open(*self).error, DistError::kNoPayload);
}
#endif

}  // namespace
