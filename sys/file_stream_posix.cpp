#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

#include "sys/exception.h"
#include "sys/file_stream.h"

namespace {

int g_lockWait = 10000;  // milliseconds

int64_t NowMs() {
  timespec t;
  ::clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<int64_t>(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

// Takes the lock, waiting up to the deadline: short naps first, since most
// operations hold the file for well under a millisecond. held tells a wait
// that ran out from a refusal.
bool Lock(int fd, int operation, int64_t deadline, bool& held) {
  for (int nap = 1;; nap = nap < 32 ? nap * 2 : nap) {
    if (::flock(fd, operation | LOCK_NB) == 0) return true;
    if (errno != EWOULDBLOCK && errno != EINTR) return false;
    const int64_t left = deadline - NowMs();
    held = left <= 0;
    if (held) return false;
    const int64_t ms = nap < left ? nap : left;
    timespec pause = {static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000};
    ::nanosleep(&pause, nullptr);
  }
}

// Opens and takes the exclusive lock; -1 when either fails. The lock belongs to
// this open file description, so even a second open in the same process waits,
// as a share mode of 0 refuses it on Windows. A reader takes a shared lock
// instead, as FILE_SHARE_READ would.
int OpenLocked(const std::string& fileName, int flags, bool& held) {
  const bool reader = (flags & O_ACCMODE) == O_RDONLY;
  const int64_t deadline = NowMs() + g_lockWait;
  held = false;
  for (;;) {
    int fd = ::open(fileName.c_str(), flags | O_CLOEXEC, 0666);
    if (fd < 0) return -1;
    if (!Lock(fd, reader ? LOCK_SH : LOCK_EX, deadline, held)) {
      ::close(fd);
      return -1;
    }
    // The holder we waited for may have removed the file (a creator whose
    // write failed): a lock on a name that no longer leads here guards nothing.
    struct stat locked, named;
    if (::fstat(fd, &locked) == 0 && ::stat(fileName.c_str(), &named) == 0 &&
        locked.st_dev == named.st_dev && locked.st_ino == named.st_ino)
      return fd;
    ::close(fd);
    held = NowMs() >= deadline;
    if (held) return -1;
  }
}

}  // namespace

void FileStream::SetLockWait(int milliseconds) { g_lockWait = milliseconds < 0 ? 0 : milliseconds; }

int FileStream::LockWait() { return g_lockWait; }

FileStream::FileStream(const std::string& fileName, Mode mode) {
  bool held = false;
  if (mode != Mode::Create && mode != Mode::CreateNew) {
    handle_ = OpenLocked(fileName, mode == Mode::ReadOnly ? O_RDONLY : O_RDWR, held);
    if (handle_ < 0)
      throw EFOpenError(held ? HeldMessage(fileName) : "Cannot open file " + fileName);
  } else {
    // No O_TRUNC: a file that appeared since the caller looked is kept, not emptied.
    handle_ =
        OpenLocked(fileName, O_CREAT | O_RDWR | (mode == Mode::CreateNew ? O_EXCL : 0), held);
    if (handle_ < 0)
      throw EFCreateError(held ? HeldMessage(fileName) : "Cannot create file " + fileName);
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

bool FileStream::SyncFolder(const std::string& fileName) {
  const size_t slash = fileName.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : fileName.substr(0, slash + 1);
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool synced = ::fsync(fd) == 0;
  ::close(fd);
  return synced;
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

std::string FileStream::Identity() {
  struct stat st;
  if (::fstat(static_cast<int>(handle_), &st) != 0) return std::string();
  return std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino);
}

// fdatasync writes the length with the data, and skips the times.
bool FileStream::Sync() { return ::fdatasync(static_cast<int>(handle_)) == 0; }
