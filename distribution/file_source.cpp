#include "distribution/file_source.h"

#include "sys/exception.h"
#include "sys/file_stream.h"

FileSource::FileSource(std::unique_ptr<FileStream> file, uint64_t size)
    : file_(std::move(file)), size_(size) {}

FileSource::~FileSource() = default;

DistStatus FileSource::Open(const std::string& fileName, std::unique_ptr<FileSource>& out) {
  std::unique_ptr<FileStream> file;
  try {
    file = std::make_unique<FileStream>(fileName, FileStream::Mode::ReadOnly);
  } catch (const EFOpenError& e) {
    return DistStatus::Fail(DistError::kReadFailed, e.what());
  }
  const int64_t size = file->Size();
  if (size < 0) return DistStatus::Fail(DistError::kReadFailed, fileName, ": its size is unknown");
  out.reset(new FileSource(std::move(file), static_cast<uint64_t>(size)));
  return DistStatus::Ok();
}

bool FileSource::ReadAt(uint64_t offset, void* out, size_t count) {
  if (offset > size_ || count > size_ - offset) return false;
  return file_->ReadAt(static_cast<int64_t>(offset), out, count) == count;
}
