// The record store's file: held exclusively while it is open, with positioned
// reads and writes that report how many bytes moved. The engine turns short
// counts into its own error codes, so nothing here throws after opening.
//
// An opener that finds the file held waits for it (LockWait, 10 seconds unless
// set) before it gives up: a second writer queues behind the first instead of
// failing at once.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

class FileStream {
 public:
  enum class Mode {
    OpenExisting,  // failure raises EFOpenError("Cannot open file " + name)
    Create,        // failure raises EFCreateError("Cannot create file " + name)
    CreateNew,     // as Create, but a file already there is not opened: EFCreateError
    // For reading only, shared with other readers: a file on read-only media
    // opens, a file held by a writer does not (EFOpenError), and while it is
    // open no writer gets in.
    ReadOnly,
  };

  // OpenExisting and Create open for reading and writing with no sharing:
  // while this object lives, a second opener (this process or another) waits,
  // and fails when the wait runs out.
  FileStream(const std::string& fileName, Mode mode);
  ~FileStream();
  FileStream(const FileStream&) = delete;
  FileStream& operator=(const FileStream&) = delete;

  // An existing entry that is not a folder.
  static bool Exists(const std::string& fileName);
  // Deletes the file; false when it is still there.
  static bool Remove(const std::string& fileName);
  // Waits until the folder holding the file has its entries on the disk: a
  // file just created keeps its name through a power failure.
  static bool SyncFolder(const std::string& fileName);

  // Moves to position, counted from the start; returns the position reached,
  // or -1 when the system refuses (a negative position, for instance).
  int64_t Seek(int64_t position);
  // Each returns the number of bytes moved; fewer than count at the end of the
  // file or on failure.
  size_t Read(void* buffer, size_t count);
  size_t Write(const void* buffer, size_t count);
  // As Read and Write at position, in one call to the system.
  size_t ReadAt(int64_t position, void* buffer, size_t count);
  size_t WriteAt(int64_t position, const void* buffer, size_t count);
  // The file's length, or -1 when the system cannot tell.
  int64_t Size();
  // Cuts or extends the file to length.
  bool Truncate(int64_t length);
  // Waits until everything written, and the length, has reached the disk.
  bool Sync();
  // Names the file itself, not its path (device and file number); equal for
  // two openings of the same file, different once the name leads to a
  // replacement. Empty when the system cannot tell.
  std::string Identity();

  // How long an opener waits for a file someone else holds; 0 fails at once.
  // An opener refused for any other reason fails with "Cannot open file"
  // (or "Cannot create file"); one whose wait ran out with HeldMessage.
  static void SetLockWait(int milliseconds);
  static int LockWait();
  static std::string HeldMessage(const std::string& fileName);

 private:
  intptr_t handle_;  // a file descriptor, or a Windows HANDLE
};
