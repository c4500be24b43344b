#include "tests/db/db_test_util.h"

#include <zlib.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "db/format.h"
#include "db/checker.h"
#include "db/report.h"

namespace fs = std::filesystem;

namespace {

class CountingStorage : public DbStorage {
 public:
  CountingStorage(std::unique_ptr<DbStorage> file, int& syncs)
      : file_(std::move(file)), syncs_(syncs) {}
  size_t ReadAt(int64_t position, void* buffer, size_t count) override {
    return file_->ReadAt(position, buffer, count);
  }
  size_t WriteAt(int64_t position, const void* buffer, size_t count) override {
    return file_->WriteAt(position, buffer, count);
  }
  int64_t Size() override { return file_->Size(); }
  bool Truncate(int64_t length) override { return file_->Truncate(length); }
  bool Sync() override {
    ++syncs_;
    return true;
  }
  std::string Identity() override { return file_->Identity(); }

 private:
  std::unique_ptr<DbStorage> file_;
  int& syncs_;
};

}  // namespace

std::unique_ptr<DbStorage> CountingFiles::Open(const std::string& name, FileStream::Mode mode) {
  return std::make_unique<CountingStorage>(DbFiles::Open(name, mode), syncs);
}

void DbTest::SetUp() {
  SetDbFiles(&files);
  // A test that holds the file to show it refused waits no longer than this.
  FileStream::SetLockWait(50);
  static std::atomic<int> serial{0};
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  fs::path folder = fs::temp_directory_path() /
                    (std::string("cvdb-") + info->test_suite_name() + "-" + info->name() + "-" +
                     std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                     std::to_string(serial++));
  fs::remove_all(folder);
  fs::create_directories(folder);
  dir = folder.string();
  db = InDir("test.dbc");
}

void DbTest::TearDown() {
  SetDbFiles(nullptr);
  FileStream::SetLockWait(10000);
  std::error_code ignored;
  fs::remove_all(dir, ignored);
}

std::string DbTest::InDir(const std::string& name) const { return (fs::path(dir) / name).string(); }

std::string KeyPath(const std::vector<std::string>& keys) {
  std::string path;
  for (size_t i = 0; i < keys.size(); ++i) {
    if (i) path += dbformat::kPathSeparator;
    path += keys[i];
  }
  return path;
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool PathExists(const std::string& path) { return fs::exists(path); }

std::string Le32(int32_t value) {
  std::string b(4, '\0');
  dbformat::PutInt32(&b[0], value);
  return b;
}

int32_t Le32At(const std::string& bytes, size_t offset) {
  return dbformat::GetInt32(bytes.data() + offset);
}

std::string Deflate(const std::string& bytes) {
  z_stream zs{};
  EXPECT_EQ(deflateInit2(&zs, -1, 8, 15, 9, 0), Z_OK);
  std::string out(bytes.size() * 2 + 64, '\0');
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
  zs.avail_in = static_cast<uInt>(bytes.size());
  zs.next_out = reinterpret_cast<Bytef*>(&out[0]);
  zs.avail_out = static_cast<uInt>(out.size());
  EXPECT_EQ(deflate(&zs, Z_FINISH), Z_STREAM_END);
  out.resize(zs.total_out);
  deflateEnd(&zs);
  return out;
}

namespace {
void Catch(const std::string& caption, const std::string& text, bool owned) {
  ReportCatcher::Reports().push_back(ReportCatcher::Report{caption, text, owned});
}
}  // namespace

ReportCatcher::ReportCatcher() {
  Reports().clear();
  SetDbReporter(Catch);
}

ReportCatcher::~ReportCatcher() { SetDbReporter(nullptr); }

std::vector<ReportCatcher::Report>& ReportCatcher::Reports() {
  static std::vector<Report> reports;
  return reports;
}

void ExpectSound(const std::string& file) {
  DbInspection inspection = InspectDatabase(ReadBytes(file));
  EXPECT_TRUE(inspection.Sound()) << file << ": " << inspection.FirstFault();
}
