// A file as a ByteSource: shared with other readers, so the running setup.exe
// can read itself (the system maps it but holds no writer).
#pragma once
#include <memory>
#include <string>

#include "distribution/byte_io.h"
#include "distribution/status.h"

class FileStream;

class FileSource : public ByteSource {
 public:
  // Opens fileName for reading; kReadFailed when it cannot be opened or sized.
  static DistStatus Open(const std::string& fileName, std::unique_ptr<FileSource>& out);
  ~FileSource() override;

  uint64_t Size() const override { return size_; }
  bool ReadAt(uint64_t offset, void* out, size_t count) override;

 private:
  FileSource(std::unique_ptr<FileStream> file, uint64_t size);

  std::unique_ptr<FileStream> file_;
  uint64_t size_;
};
