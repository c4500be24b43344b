// The record store against SQLite doing the same job: open the file, replace
// or read one record holding the same deflated bytes, close. Root indexes of
// 10 to 10,000 keys, and a path three indexes deep. Writes are durable on both
// sides (the engine's default, SQLite's synchronous=FULL) and, beside them,
// neither waits for the disk (--no-sync, synchronous=OFF).
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "db/FileMan1.h"
#include "db/index_cache.h"
#include "db/zlib_memory.h"
#include "tests/bench/db_alloc_probe.h"

namespace {

namespace fs = std::filesystem;

const Lines kTemplate = {
    "From: Corvaline user <user@example.org>",
    "To: ",
    "Subject: ",
    "X-No-Archive: yes",
    "Comments: sent through an anonymous remailer",
    "",
    "Type your message here.",
    "-- ",
};
const std::string kSep(1, dbformat::kPathSeparator);

std::string Dir() {
  const char* dir = std::getenv("CV_BENCH_DIR");
  fs::path path = dir ? dir : fs::temp_directory_path() / "cv-db-bench";
  fs::create_directories(path);
  return path.string();
}

// The key the benchmarks read and replace: the last of its index, so that
// lookups scan every key before it.
std::string TemplatePath(int depth) {
  return depth == 1 ? "template" : "level1" + kSep + "level2" + kSep + "template";
}

std::string Deflated(const Lines& lines) {
  std::string text = LinesToText(lines);
  TDataBuf buf(text.data(), static_cast<int32_t>(text.size()));
  buf.Compress();
  return std::string(reinterpret_cast<const char*>(buf.Data()), buf.Size());
}

Lines Inflated(const void* bytes, int size, int unpacked) {
  std::string out(static_cast<size_t>(unpacked), '\0');
  uLongf length = static_cast<uLongf>(out.size());
  uncompress(reinterpret_cast<Bytef*>(&out[0]), &length, static_cast<const Bytef*>(bytes),
             static_cast<uLong>(size));
  out.resize(length);
  return TextToLines(out);
}

// One index holding filler keys, then (at depth 3) the next index, then the template.
void FillIndex(TFMindex& index, int keys, bool last) {
  for (int i = 0; i < keys - 1; ++i) {
    std::string key = "key" + std::to_string(100000 + i);
    Lines value = {key + "=" + std::to_string(i)};
    if (i == 0) {
      key = "Initialization";
      value = {"Version=0.9b0", "Cutmarks=yes"};
    }
    std::string text = LinesToText(value);
    TDataBuf buf(text.data(), static_cast<int32_t>(text.size()));
    index.WriteRecord(key, &buf, false);
  }
  if (last) {
    std::string text = LinesToText(kTemplate);
    TDataBuf buf(text.data(), static_cast<int32_t>(text.size()));
    index.WriteRecord("template", &buf, false);
  }
}

struct Files {
  std::string engine, sqlite;
  size_t largestIndex = 0;  // unpacked bytes of the largest index record on the path
};

const Files& FilesFor(int keys, int depth) {
  static std::map<std::pair<int, int>, Files> made;
  auto it = made.find({keys, depth});
  if (it != made.end()) return it->second;
  Files files;
  const std::string stem = Dir() + "/k" + std::to_string(keys) + "-d" + std::to_string(depth);
  files.engine = stem + ".dbc";
  files.sqlite = stem + ".sqlite";
  fs::remove(files.engine);
  fs::remove(files.sqlite);
  {
    TFileManager manager(files.engine);
    TFMindex root(manager, nullptr, "");
    FillIndex(root, keys, depth == 1);
    root.SaveAndLink();
    if (depth == 3) {
      TFMindex level1(manager, &root, "level1");
      FillIndex(level1, 10, false);
      level1.SaveAndLink();
      TFMindex level2(manager, &level1, "level2");
      FillIndex(level2, 10, true);
      level2.SaveAndLink();
    }
    files.largestIndex = root.Text().size() + 1 + 4 * root.Count();
  }
  sqlite3* db = nullptr;
  sqlite3_open(files.sqlite.c_str(), &db);
  sqlite3_exec(db,
               "CREATE TABLE records(key TEXT PRIMARY KEY COLLATE NOCASE, unpacked INTEGER, "
               "data BLOB); BEGIN;",
               nullptr, nullptr, nullptr);
  sqlite3_stmt* insert = nullptr;
  sqlite3_prepare_v2(db, "INSERT INTO records VALUES(?, ?, ?)", -1, &insert, nullptr);
  auto add = [&](const std::string& key, const Lines& value) {
    std::string bytes = Deflated(value);
    sqlite3_bind_text(insert, 1, key.data(), static_cast<int>(key.size()), SQLITE_TRANSIENT);
    sqlite3_bind_int(insert, 2, static_cast<int>(LinesToText(value).size()));
    sqlite3_bind_blob(insert, 3, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
    sqlite3_step(insert);
    sqlite3_reset(insert);
  };
  add("Initialization", {"Version=0.9b0", "Cutmarks=yes"});
  for (int i = 1; i < keys - 1; ++i) add("key" + std::to_string(100000 + i), {"x"});
  add(TemplatePath(depth), kTemplate);
  sqlite3_finalize(insert);
  sqlite3_exec(db, "COMMIT;", nullptr, nullptr, nullptr);
  sqlite3_close(db);
  return made[{keys, depth}] = files;
}

// The three jobs, for each store.
void EnginePut(const Files& f, const std::string& path) {
  if (PutRecordStrings(path, &kTemplate, f.engine) != 0) std::abort();
}
// As cvdb --no-sync: nothing waits for the disk.
void EnginePutNoSync(const Files& f, const std::string& path) {
  TFileManager::SetSync(false);
  EnginePut(f, path);
  TFileManager::SetSync(true);
}
void EngineGet(const Files& f, const std::string& path) {
  Lines lines;
  if (GetRecordStrings(lines, path, f.engine) != 0 || lines.size() != kTemplate.size())
    std::abort();
}
// Without the indexes kept from the operation before: every index on the path
// is inflated and parsed again.
void EngineGetCold(const Files& f, const std::string& path) {
  ForgetCachedIndexes();
  EngineGet(f, path);
}
void EngineInit(const Files& f, const std::string&) {
  if (GetInitValue("Version", "", f.engine) != "0.9b0") std::abort();
}
// What a put spends on deflating the root index it stores again.
void EngineDeflateRoot(const Files& f, const std::string&) {
  static std::map<std::string, std::string> texts;
  std::string& text = texts[f.engine];
  if (text.empty()) {
    TFileManager manager(f.engine, TFileManager::Access::ReadOnly);
    TFMindex root(manager, nullptr, "");
    text = root.Text() + '\0';
  }
  TDataBuf buf(text.data(), static_cast<int32_t>(text.size()));
  if (buf.Compress() != 0) std::abort();
}

sqlite3* OpenSqlite(const Files& f, bool sync) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(f.sqlite.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
    std::abort();
  if (!sync) sqlite3_exec(db, "PRAGMA synchronous=OFF", nullptr, nullptr, nullptr);
  return db;
}
void SqlitePutWith(const Files& f, const std::string& path, bool sync) {
  sqlite3* db = OpenSqlite(f, sync);
  std::string bytes = Deflated(kTemplate);
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, "INSERT OR REPLACE INTO records VALUES(?, ?, ?)", -1, &st, nullptr);
  sqlite3_bind_text(st, 1, path.data(), static_cast<int>(path.size()), SQLITE_STATIC);
  sqlite3_bind_int(st, 2, static_cast<int>(LinesToText(kTemplate).size()));
  sqlite3_bind_blob(st, 3, bytes.data(), static_cast<int>(bytes.size()), SQLITE_STATIC);
  if (sqlite3_step(st) != SQLITE_DONE) std::abort();
  sqlite3_finalize(st);
  sqlite3_close(db);
}
Lines SqliteRead(const Files& f, const std::string& key) {
  sqlite3* db = OpenSqlite(f, true);
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, "SELECT unpacked, data FROM records WHERE key = ?", -1, &st, nullptr);
  sqlite3_bind_text(st, 1, key.data(), static_cast<int>(key.size()), SQLITE_STATIC);
  Lines lines;
  if (sqlite3_step(st) == SQLITE_ROW)
    lines = Inflated(sqlite3_column_blob(st, 1), sqlite3_column_bytes(st, 1),
                     sqlite3_column_int(st, 0));
  sqlite3_finalize(st);
  sqlite3_close(db);
  return lines;
}
void SqlitePut(const Files& f, const std::string& path) { SqlitePutWith(f, path, true); }
void SqlitePutNoSync(const Files& f, const std::string& path) { SqlitePutWith(f, path, false); }
void SqliteGet(const Files& f, const std::string& path) {
  if (SqliteRead(f, path).size() != kTemplate.size()) std::abort();
}
void SqliteInit(const Files& f, const std::string&) {
  Lines lines = SqliteRead(f, "Initialization");
  if (lines.empty() || lines[0] != "Version=0.9b0") std::abort();
}

using Job = void (*)(const Files&, const std::string&);

// range(0): keys in the root index; range(1): depth of the path.
void Run(benchmark::State& state, Job job) {
  const int keys = static_cast<int>(state.range(0)), depth = static_cast<int>(state.range(1));
  const Files& files = FilesFor(keys, depth);
  const std::string path = TemplatePath(depth);
  job(files, path);  // warm: first-use allocations of the libraries
  MarkHeap();
  job(files, path);
  state.counters["peak_kB"] = static_cast<double>(PeakSinceMark()) / 1024;
  state.counters["index_kB"] = static_cast<double>(files.largestIndex) / 1024;
  // What the zlib streams and the kept indexes hold for the next operation
  // (not part of the peak).
  state.counters["zlib_cache_kB"] = static_cast<double>(ZlibCachedBytes()) / 1024;
  state.counters["index_cache_kB"] = static_cast<double>(CachedIndexBytes()) / 1024;
  for (auto _ : state) job(files, path);
}

void Sizes(benchmark::internal::Benchmark* b) {
  for (int keys : {10, 100, 1000, 10000}) b->Args({keys, 1});
  b->Args({10, 3});
  b->Unit(benchmark::kMicrosecond);
}
void RootSizes(benchmark::internal::Benchmark* b) {
  for (int keys : {10, 100, 1000, 10000}) b->Args({keys, 1});
  b->Unit(benchmark::kMicrosecond);
}

}  // namespace

BENCHMARK_CAPTURE(Run, EnginePutRecordStrings, EnginePut)->Apply(Sizes);
BENCHMARK_CAPTURE(Run, EnginePutNoSync, EnginePutNoSync)->Apply(Sizes);
BENCHMARK_CAPTURE(Run, SqlitePut, SqlitePut)->Apply(Sizes);
BENCHMARK_CAPTURE(Run, SqlitePutNoSync, SqlitePutNoSync)->Apply(Sizes);
BENCHMARK_CAPTURE(Run, EngineDeflateRoot, EngineDeflateRoot)->Apply(RootSizes);
BENCHMARK_CAPTURE(Run, EngineGetRecordStrings, EngineGet)->Apply(Sizes);
BENCHMARK_CAPTURE(Run, EngineGetCold, EngineGetCold)->Apply(Sizes);
BENCHMARK_CAPTURE(Run, SqliteGet, SqliteGet)->Apply(Sizes);
BENCHMARK_CAPTURE(Run, EngineGetInitValue, EngineInit)->Apply(RootSizes);
BENCHMARK_CAPTURE(Run, SqliteGetInitValue, SqliteInit)->Apply(RootSizes);

BENCHMARK_MAIN();
