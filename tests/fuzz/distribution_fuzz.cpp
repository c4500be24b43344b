// The fuzzer's bytes as a file list and as a resealed payload. Besides the
// sanitizers' checks: a list that reads is written and read back the same, and no
// entry of a payload that opened gives more bytes than it claims.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "distribution/file_list.h"
#include "distribution/payload_reader.h"
#include "tests/distribution/fake_program.h"

namespace {

class CountingSink : public ByteSink {
 public:
  bool Write(const void*, size_t count) override {
    bytes += count;
    return true;
  }
  uint64_t bytes = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  FileList files, again;
  std::string text;
  if (ParseFileList(input, files).ok()) {
    if (!FormatFileList(files, text).ok() || !ParseFileList(text, again).ok() ||
        again.size() != files.size())
      std::abort();
    for (size_t i = 0; i < files.size(); ++i)
      if (again[i].name != files[i].name || again[i].size != files[i].size ||
          again[i].sha256 != files[i].sha256)
        std::abort();
  }

  std::string program = FakeProgram() + input;
  Reseal(program);
  MemorySource source(program);
  PayloadReader reader;
  if (!reader.Open(source).ok()) return 0;
  for (size_t i = 0; i < reader.Entries().size(); ++i) {
    CountingSink sink;
    // An entry may be refused; one that unpacks gives exactly its size.
    if (reader.Extract(i, &sink).ok() && sink.bytes != reader.Entries()[i].file.size) std::abort();
  }
  return 0;
}
