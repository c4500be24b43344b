#include "db/storage.h"

namespace {

class SystemStorage : public DbStorage {
 public:
  SystemStorage(const std::string& name, FileStream::Mode mode) : stream_(name, mode) {}
  size_t ReadAt(int64_t position, void* buffer, size_t count) override {
    return stream_.ReadAt(position, buffer, count);
  }
  size_t WriteAt(int64_t position, const void* buffer, size_t count) override {
    return stream_.WriteAt(position, buffer, count);
  }
  int64_t Size() override { return stream_.Size(); }
  bool Truncate(int64_t length) override { return stream_.Truncate(length); }
  bool Sync() override { return stream_.Sync(); }
  std::string Identity() override { return stream_.Identity(); }

 private:
  FileStream stream_;
};

DbFiles g_system;
DbFiles* g_current = &g_system;

}  // namespace

std::unique_ptr<DbStorage> DbFiles::Open(const std::string& name, FileStream::Mode mode) {
  return std::make_unique<SystemStorage>(name, mode);
}

bool DbFiles::Exists(const std::string& name) { return FileStream::Exists(name); }

bool DbFiles::Remove(const std::string& name) { return FileStream::Remove(name); }

bool DbFiles::SyncFolder(const std::string& name) { return FileStream::SyncFolder(name); }

DbFiles& CurrentDbFiles() { return *g_current; }

void SetDbFiles(DbFiles* files) { g_current = files ? files : &g_system; }
