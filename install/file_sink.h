// Unpacked bytes written into a new file.
#pragma once
#include <memory>
#include <string>

#include "distribution/byte_io.h"

class FileStream;

class FileSink : public ByteSink {
 public:
  // Creates path, which must not be there yet: a file of that name is left
  // alone and the sink is not opened.
  explicit FileSink(const std::string& path);
  ~FileSink() override;
  bool Opened() const { return file_ != nullptr; }
  bool Write(const void* data, size_t count) override;
  // Closes the file; false when any write failed.
  bool Close();

 private:
  std::unique_ptr<FileStream> file_;
  bool ok_ = true;
};
