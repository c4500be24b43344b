// The open database file: its header, its free list and the positioned reads
// and writes through which every other part of the engine reaches the file.
// Failures are recorded as error codes, never thrown (only opening throws).
//
// Writes are held in memory until Commit, which makes them all or none: it
// appends a journal of the ranges it overwrites (db/journal.h), writes them,
// and cuts the journal away. A manager that met a failure writes nothing.
//
// A program that knows no journals (the client) may read or write the file
// wherever a commit stops. So a commit writes first only space that no record
// of the file uses (blocks appended go behind the old free-list area, not over
// it) and a free list without the blocks it releases; then the header and the
// root cell in one write; then the free list with the released blocks. At
// every point the file holds the old records or the new ones, and a free list
// that names no space a record uses.
#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "db/free_list.h"
#include "db/index_cache.h"
#include "db/journal.h"
#include "db/storage.h"

class TFMindex;

// Result codes of the engine.
enum DbError : int32_t {
  kDbOk = 0,
  kDbWriteError = 1,
  kDbReadError = 2,
  kDbSeekError = 3,
  // A key path or key the file cannot hold (more than 16 components, or a
  // key with CR, LF or NUL): refused before the file is touched.
  kDbBadKey = 4,
};

class TFileManager {
 public:
  enum class Access {
    // Opens the file exclusively, or creates it; a new or empty file gets the
    // magic, the header and an empty free list.
    ReadWrite,
    // Opens an existing file for reading, shared with other readers, and never
    // writes: an empty file reads as a database without records.
    ReadOnly,
  };

  // An existing file's header and free list are read and checked; a journal
  // left by an interrupted write is settled first (a reader reads the file as
  // the writer will leave it, writing nothing). Throws EFOpenError /
  // EFCreateError.
  explicit TFileManager(const std::string& fileName, Access access = Access::ReadWrite);
  // Commits what is pending when no failure was met, unless an exception is
  // on its way through.
  ~TFileManager();
  TFileManager(const TFileManager&) = delete;
  TFileManager& operator=(const TFileManager&) = delete;

  // Makes the pending writes reach the file, all of them or none; a failure
  // sets Error = 1 and leaves the file as it was. Nothing pending: true.
  bool Commit();
  // Forgets the pending writes.
  void Discard();
  // With sync (the default), Commit waits for the disk: the journal before the
  // file is touched, the file before the journal is cut, and the cut before it
  // returns, so that a finished operation survives a power failure and an
  // unfinished one is undone. Without it, a stopped process still loses
  // nothing, but a power failure may.
  static void SetSync(bool sync);
  static bool Sync();
  // Without the journal (the default is with it), the manager is a writer of
  // the format as the client is: it leaves a journal it finds where it is and
  // writes its commit straight into the file, in the same order. For tests
  // that stand in for the client.
  static void SetJournal(bool journal);

  bool SeekTo(int32_t position);
  bool ReadBuf(void* buffer, int32_t count);
  bool WriteBuf(const void* buffer, int32_t count);
  bool ReadInt(int32_t& value);
  bool WriteInt(int32_t value);

  bool WriteMagic();
  bool WriteHeader();
  bool ReadHeader();
  bool ReadFreeList();
  bool WriteFreeList();

  // The payload position of a new block with room for n bytes, or -1.
  int32_t Allocate(int32_t n);
  int32_t AllocateFromFreeList(int32_t total);
  int32_t AllocateAtEnd(int32_t total);
  // Gives back the block whose payload starts at position, at the commit. A
  // block whose size field does not describe a live block is kept out of the
  // free list.
  void Release(int32_t position);
  bool ReturnSpace(int32_t start, int32_t size);

  // "Block: <Step>, <text of code>", kept in Report.
  std::string ReportError(int32_t code);
  static std::string ErrorText(int32_t code);

  // Records a structure that fails a check: Error = 2 and, for the first
  // failure, Diagnosis names it and its offset. Returns false.
  bool Corrupt(const std::string& what, int64_t offset);
  // Whether the block with payload at position lies inside the block area with
  // room for at least minPayload bytes.
  bool PayloadInArea(int64_t position, int64_t minPayload) const;
  bool ReadOnly() const { return readOnly_; }
  // The bytes a read at position would give: the file's, or what is pending.
  bool ReadAt(int64_t position, void* buffer, int32_t count);
  // The length of the file as the engine sees it (pending writes included).
  int64_t Length() const { return length_; }

  // The loaded indexes register here, so that a release can be checked
  // against the records they name.
  void Register(const TFMindex* index);
  void Unregister(const TFMindex* index);
  // The entries kept for the index record at position when block, its bytes
  // as read now, are the ones they were parsed from; else nullptr.
  std::shared_ptr<const EntryList> KeptIndex(int32_t position, const std::string& block);
  // Keeps the entries parsed from block, the index record at position.
  void KeepIndex(int32_t position, std::string block, std::shared_ptr<const EntryList> entries);
  // An index record this operation wrote, kept once the commit succeeds.
  void IndexWritten(int32_t position, std::string block, std::shared_ptr<const EntryList> entries);

  TFreeList FreeList;
  int32_t RootCell = -1;
  int32_t DataEnd = 46;
  int32_t Error = 0;       // the last primitive step's code
  int32_t Step = 0;        // the engine step that ran last
  int32_t FirstError = 0;  // the first non-zero Error of this manager's life
  std::string Report;      // the last composed error report
  std::string Diagnosis;   // the first failed check, with its offset
  // Something dealt with that was no failure: a journal left behind by an
  // interrupted write that another program's write had overtaken since.
  std::string Notice;

 private:
  // One write of a commit, in commit order.
  struct CommitWrite {
    int64_t offset;
    std::string bytes;
    CommitPhase phase;
  };

  void SetError(int32_t code);
  void SettleJournal();
  void Pend(int64_t position, const void* buffer, int32_t count);
  // Hands the blocks released during the operation to the free list.
  void FinishReleases();
  // The writes of a commit to a file that holds no records yet: the pending
  // ones, the header and the free list, in one phase.
  std::vector<CommitWrite> PlanNewFile();
  // The three phases, for a file whose records someone may read meanwhile.
  std::vector<CommitWrite> PlanPhases();
  bool BuildJournal(const std::vector<CommitWrite>& writes, Journal& journal);
  bool WritePhase(const std::vector<CommitWrite>& writes, CommitPhase phase);
  bool CommitFailed(const std::string& report);
  // Where the next block appended to the area starts.
  int64_t AppendStart() const;
  void AfterCommit();
  // The header, the root cell's value and the free-list area as the engine
  // sees them now.
  std::string HeadBytes();
  // Learns every block the file's tree names, once per operation (from the
  // cache when the file proves unchanged); false when the tree cannot be read
  // whole or names a block twice, which is left to the operations that touch
  // that part to report.
  bool KnowLiveBlocks();
  bool WalkTree();
  bool TreeUnchanged(const FileCache& cache);
  // Whether a release of position would free a block that another entry still
  // names, and whether [start, end) holds a live block other than except's.
  bool NamedTwice(int32_t position) const;
  bool HoldsLiveBlock(int64_t start, int64_t end, int32_t except);
  bool Released(int32_t position) const;

  std::string fileName_;
  bool readOnly_;
  // The file holds records that a program knowing no journals may read while
  // a commit is under way; then its header, DataEnd and free-list area as the
  // file has them, and the area left behind the first block appended.
  bool guarded_ = false;
  int32_t fileDataEnd_ = 0;
  int32_t fileAreaSize_ = 0;
  LiveBlock skipped_{0, 0};
  FileStream::Mode mode_;  // Create: the file did not exist before
  std::unique_ptr<DbStorage> file_;
  std::string identity_;
  int64_t fileLength_ = 0;  // the file's own length, as last committed
  int64_t length_ = 0;      // as the engine sees it
  int64_t position_ = 0;
  // Start -> bytes of ranges that neither overlap nor touch. A writer's
  // pending writes; a reader's the old bytes of a journal it cannot roll back.
  std::map<int64_t, std::string> overlay_;
  std::vector<const TFMindex*> indexes_;
  // Given back by this operation, handed to the free list at the commit.
  std::vector<LiveBlock> releases_;
  std::vector<LiveBlock> allocated_;
  // The blocks of the tree the file held at the start of the operation.
  bool liveKnown_ = false;
  bool treeUnknown_ = false;
  std::vector<LiveBlock> live_;
  std::vector<int32_t> treeIndexes_;
  // The cache is used only for bytes read as the file holds them (not a
  // reader's view of a roll-back it cannot write).
  bool cacheable_ = true;
  std::string head_;                 // HeadBytes() at opening
  std::vector<int32_t> verified_;    // kept indexes proven current in this operation
  std::vector<std::pair<int32_t, CachedIndex>> written_;
};
