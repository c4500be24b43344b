// The files under the record store. Every byte the engine moves passes through
// this seam, so that a test can fail or stop any single write; the program
// uses the system's files.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "sys/file_stream.h"

// One open file, read and written at absolute positions.
class DbStorage {
 public:
  virtual ~DbStorage() = default;
  // The number of bytes moved; fewer than count at the end or on failure.
  virtual size_t ReadAt(int64_t position, void* buffer, size_t count) = 0;
  virtual size_t WriteAt(int64_t position, const void* buffer, size_t count) = 0;
  // The length, or -1 when it cannot be told.
  virtual int64_t Size() = 0;
  virtual bool Truncate(int64_t length) = 0;
  virtual bool Sync() = 0;
  // The file itself (FileStream::Identity); empty when unknown.
  virtual std::string Identity() = 0;
};

class DbFiles {
 public:
  virtual ~DbFiles() = default;
  // Opens as FileStream does, with its locks and exceptions.
  virtual std::unique_ptr<DbStorage> Open(const std::string& name, FileStream::Mode mode);
  virtual bool Exists(const std::string& name);
  // False when the file is still there.
  virtual bool Remove(const std::string& name);
  // Waits until the folder holding the file has its entry on the disk.
  virtual bool SyncFolder(const std::string& name);
};

// The layer in use: the system's files unless a test installed its own.
DbFiles& CurrentDbFiles();
// nullptr restores the system's files. The caller keeps files alive.
void SetDbFiles(DbFiles* files);
