#include "tests/db/db_test_util.h"

#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "db/format.h"
#include "db/checker.h"
#include "db/report.h"

namespace fs = std::filesystem;

namespace {

class TestStorage : public DbStorage {
 public:
  TestStorage(std::unique_ptr<DbStorage> file, TestFiles& files)
      : file_(std::move(file)), files_(files), end_(file_->Size()) {}
  size_t ReadAt(int64_t position, void* buffer, size_t count) override {
    return file_->ReadAt(position, buffer, count);
  }
  size_t WriteAt(int64_t position, const void* buffer, size_t count) override {
    auto n = files_.Next(count);
    if (n.first) file_->WriteAt(position, buffer, n.first);
    const std::string bytes(static_cast<const char*>(buffer), files_.logging ? n.first : 0);
    const int64_t inside = std::clamp<int64_t>(end_ - position, 0, bytes.size());
    if (inside > 0) files_.log.push_back({DiskStep::Write, position, bytes.substr(0, inside)});
    if (bytes.size() > size_t(inside))
      files_.log.push_back({DiskStep::Write, position + inside, bytes.substr(inside)});
    return n.second;
  }
  int64_t Size() override { return file_->Size(); }
  bool Truncate(int64_t length) override {
    auto n = files_.Next(1);
    if (n.first && files_.logging) files_.log.push_back({DiskStep::Cut, length, std::string()});
    return (n.first == 0 || file_->Truncate(length)) && n.second == 1;
  }
  bool Sync() override {
    ++files_.syncs;
    if (files_.logging) files_.log.push_back({DiskStep::Flush, 0, std::string()});
    return true;
  }
  std::string Identity() override { return file_->Identity(); }

 private:
  std::unique_ptr<DbStorage> file_;
  TestFiles& files_;
  int64_t end_;
};

}  // namespace

std::string Apply(std::string file, const DiskStep& step) {
  if (step.kind == DiskStep::Write) {
    if (file.size() < step.at + step.bytes.size()) file.resize(step.at + step.bytes.size());
    file.replace(step.at, step.bytes.size(), step.bytes);
  } else if (step.kind == DiskStep::Cut) {
    file.resize(step.at);
  }
  return file;
}

std::unique_ptr<DbStorage> TestFiles::Open(const std::string& name, FileStream::Mode mode) {
  return std::make_unique<TestStorage>(DbFiles::Open(name, mode), *this);
}

bool TestFiles::Remove(const std::string& name) {
  auto n = Next(1);
  return (n.first == 0 || DbFiles::Remove(name)) && n.second == 1;
}

bool TestFiles::SyncFolder(const std::string&) {
  ++folderSyncs;
  return true;
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
