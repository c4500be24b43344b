#include "install/file_sink.h"

#include "sys/exception.h"
#include "sys/file_stream.h"

FileSink::FileSink(const std::string& path) {
  try {
    file_ = std::make_unique<FileStream>(path, FileStream::Mode::CreateNew);
  } catch (const Exception&) {
    file_.reset();
  }
}

FileSink::~FileSink() = default;

bool FileSink::Write(const void* data, size_t count) {
  ok_ = ok_ && file_ && file_->Write(data, count) == count;
  return ok_;
}

bool FileSink::Close() {
  const bool done = ok_ && file_;
  file_.reset();
  return done;
}
