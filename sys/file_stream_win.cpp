#include <windows.h>

#include "sys/exception.h"
#include "sys/file_stream.h"
#include "sys/handle.h"
#include "sys/wide.h"

namespace {

HANDLE AsHandle(intptr_t h) { return reinterpret_cast<HANDLE>(h); }

DWORD g_lockWait = 10000;  // milliseconds

// Opens with the share mode given, waiting while another opener's share mode
// refuses us: short naps first, since most operations hold the file for well
// under a millisecond. The share mode is the lock, as the client takes it too.
// held tells a wait that ran out from a refusal.
HANDLE OpenWaiting(const std::string& fileName, DWORD access, DWORD share, DWORD disposition,
                   bool& held) {
  const DWORD start = ::GetTickCount();
  held = false;
  for (DWORD nap = 1;; nap = nap < 32 ? nap * 2 : nap) {
    HANDLE h = ::CreateFileW(Widen(fileName).c_str(), access, share, nullptr, disposition,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) return h;
    const DWORD error = ::GetLastError();
    const DWORD waited = ::GetTickCount() - start;
    if (error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION)
      return INVALID_HANDLE_VALUE;
    held = waited >= g_lockWait;
    if (held) return INVALID_HANDLE_VALUE;
    ::Sleep(nap < g_lockWait - waited ? nap : g_lockWait - waited);
  }
}

// Share mode 0: no other opener, in this process or another, while we hold it.
intptr_t OpenExclusive(const std::string& fileName, DWORD disposition, bool& held) {
  HANDLE h = OpenWaiting(fileName, GENERIC_READ | GENERIC_WRITE, 0, disposition, held);
  return reinterpret_cast<intptr_t>(h);
}

intptr_t OpenShared(const std::string& fileName, bool& held) {
  HANDLE h = OpenWaiting(fileName, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, held);
  return reinterpret_cast<intptr_t>(h);
}

// An OVERLAPPED offset on a synchronous handle: one call, no separate seek.
OVERLAPPED At(uint64_t offset) {
  OVERLAPPED at = {};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return at;
}

const intptr_t kInvalid = reinterpret_cast<intptr_t>(INVALID_HANDLE_VALUE);

}  // namespace

void FileStream::SetLockWait(int milliseconds) {
  g_lockWait = milliseconds < 0 ? 0 : static_cast<DWORD>(milliseconds);
}

int FileStream::LockWait() { return static_cast<int>(g_lockWait); }

FileStream::FileStream(const std::string& fileName, Mode mode) {
  bool held = false;
  if (mode != Mode::Create && mode != Mode::CreateNew) {
    handle_ = mode == Mode::ReadOnly ? OpenShared(fileName, held)
                                     : OpenExclusive(fileName, OPEN_EXISTING, held);
    if (handle_ == kInvalid)
      throw EFOpenError(held ? HeldMessage(fileName) : "Cannot open file " + fileName);
  } else {
    // OPEN_ALWAYS, not CREATE_ALWAYS: a file that appeared since the caller
    // looked is kept, not emptied.
    handle_ = OpenExclusive(fileName, mode == Mode::CreateNew ? CREATE_NEW : OPEN_ALWAYS, held);
    if (handle_ == kInvalid)
      throw EFCreateError(held ? HeldMessage(fileName) : "Cannot create file " + fileName);
  }
}

FileStream::~FileStream() { ::CloseHandle(AsHandle(handle_)); }

bool FileStream::Exists(const std::string& fileName) {
  DWORD attr = ::GetFileAttributesW(Widen(fileName).c_str());
  return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool FileStream::Remove(const std::string& fileName) {
  return ::DeleteFileW(Widen(fileName).c_str()) || ::GetLastError() == ERROR_FILE_NOT_FOUND;
}

bool FileStream::SyncFolder(const std::string& fileName) {
  const size_t slash = fileName.find_last_of("\\/");
  const std::string folder = slash == std::string::npos ? "." : fileName.substr(0, slash + 1);
  // A folder opens only with backup semantics; flushing it needs write access.
  UniqueHandle h(::CreateFileW(Widen(folder).c_str(), GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  return h && ::FlushFileBuffers(h.Get()) != 0;
}

int64_t FileStream::Seek(int64_t position) {
  LARGE_INTEGER to, reached;
  to.QuadPart = position;
  if (!::SetFilePointerEx(AsHandle(handle_), to, &reached, FILE_BEGIN)) return -1;
  return reached.QuadPart;
}

size_t FileStream::Read(void* buffer, size_t count) {
  size_t done = 0;
  while (done < count) {
    DWORD n = 0;
    DWORD want = static_cast<DWORD>(count - done);
    if (!::ReadFile(AsHandle(handle_), static_cast<char*>(buffer) + done, want, &n, nullptr) ||
        n == 0)
      break;
    done += n;
  }
  return done;
}

size_t FileStream::Write(const void* buffer, size_t count) {
  size_t done = 0;
  while (done < count) {
    DWORD n = 0;
    DWORD want = static_cast<DWORD>(count - done);
    if (!::WriteFile(AsHandle(handle_), static_cast<const char*>(buffer) + done, want, &n,
                     nullptr) ||
        n == 0)
      break;
    done += n;
  }
  return done;
}

size_t FileStream::ReadAt(int64_t position, void* buffer, size_t count) {
  size_t done = 0;
  while (done < count) {
    OVERLAPPED at = At(static_cast<uint64_t>(position) + done);
    DWORD n = 0;
    if (!::ReadFile(AsHandle(handle_), static_cast<char*>(buffer) + done,
                    static_cast<DWORD>(count - done), &n, &at) ||
        n == 0)
      break;
    done += n;
  }
  return done;
}

size_t FileStream::WriteAt(int64_t position, const void* buffer, size_t count) {
  size_t done = 0;
  while (done < count) {
    OVERLAPPED at = At(static_cast<uint64_t>(position) + done);
    DWORD n = 0;
    if (!::WriteFile(AsHandle(handle_), static_cast<const char*>(buffer) + done,
                     static_cast<DWORD>(count - done), &n, &at) ||
        n == 0)
      break;
    done += n;
  }
  return done;
}

int64_t FileStream::Size() {
  LARGE_INTEGER size;
  if (!::GetFileSizeEx(AsHandle(handle_), &size)) return -1;
  return size.QuadPart;
}

bool FileStream::Truncate(int64_t length) {
  return Seek(length) == length && ::SetEndOfFile(AsHandle(handle_));
}

bool FileStream::Sync() { return ::FlushFileBuffers(AsHandle(handle_)) != 0; }

std::string FileStream::Identity() {
  BY_HANDLE_FILE_INFORMATION info;
  if (!::GetFileInformationByHandle(AsHandle(handle_), &info)) return std::string();
  return std::to_string(info.dwVolumeSerialNumber) + ":" + std::to_string(info.nFileIndexHigh) +
         ":" + std::to_string(info.nFileIndexLow);
}
