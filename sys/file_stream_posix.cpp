#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "sys/exception.h"
#include "sys/file_stream.h"

namespace {

// Opens and takes the exclusive lock; -1 when either fails. The lock belongs to
// this open file description, so even a second open in the same process is
// refused, as a share mode of 0 refuses it on Windows. A reader takes a shared
// lock instead, as FILE_SHARE_READ would.
int OpenLocked(const std::string& fileName, int flags) {
  const bool reader = (flags & O_ACCMODE) == O_RDONLY;
  int fd = ::open(fileName.c_str(), flags | O_CLOEXEC, 0666);
  if (fd < 0) return -1;
  if (::flock(fd, (reader ? LOCK_SH : LOCK_EX) | LOCK_NB) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

FileStream::FileStream(const std::string& fileName, Mode mode) {
  if (mode != Mode::Create) {
    handle_ = OpenLocked(fileName, mode == Mode::ReadOnly ? O_RDONLY : O_RDWR);
    if (handle_ < 0) throw EFOpenError("Cannot open file " + fileName);
  } else {
    // No O_TRUNC: a file that appeared since the caller looked is kept, not emptied.
    handle_ = OpenLocked(fileName, O_CREAT | O_RDWR);
    if (handle_ < 0) throw EFCreateError("Cannot create file " + fileName);
  }
}

FileStream::~FileStream() { ::close(static_cast<int>(handle_)); }

bool FileStream::Exists(const std::string& fileName) {
  struct stat st;
  return ::stat(fileName.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool FileStream::Remove(const std::string& fileName) {
  return ::unlink(fileName.c_str()) == 0 || errno == ENOENT;
}

int64_t FileStream::Seek(int64_t position) {
  off_t reached = ::lseek(static_cast<int>(handle_), static_cast<off_t>(position), SEEK_SET);
  return reached < 0 ? -1 : static_cast<int64_t>(reached);
}

size_t FileStream::Read(void* buffer, size_t count) {
  size_t done = 0;
  while (done < count) {
    ssize_t n = ::read(static_cast<int>(handle_), static_cast<char*>(buffer) + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  return done;
}

size_t FileStream::Write(const void* buffer, size_t count) {
  size_t done = 0;
  while (done < count) {
    ssize_t n =
        ::write(static_cast<int>(handle_), static_cast<const char*>(buffer) + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  return done;
}

size_t FileStream::ReadAt(int64_t position, void* buffer, size_t count) {
  size_t done = 0;
  while (done < count) {
    ssize_t n = ::pread(static_cast<int>(handle_), static_cast<char*>(buffer) + done, count - done,
                        static_cast<off_t>(position + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  return done;
}

size_t FileStream::WriteAt(int64_t position, const void* buffer, size_t count) {
  size_t done = 0;
  while (done < count) {
    ssize_t n = ::pwrite(static_cast<int>(handle_), static_cast<const char*>(buffer) + done,
                         count - done, static_cast<off_t>(position + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  return done;
}

int64_t FileStream::Size() {
  struct stat st;
  if (::fstat(static_cast<int>(handle_), &st) != 0) return -1;
  return static_cast<int64_t>(st.st_size);
}

bool FileStream::Truncate(int64_t length) {
  return ::ftruncate(static_cast<int>(handle_), static_cast<off_t>(length)) == 0;
}

bool FileStream::Sync() { return ::fsync(static_cast<int>(handle_)) == 0; }
