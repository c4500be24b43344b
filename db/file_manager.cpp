#include "db/file_manager.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <exception>

#include "db/format.h"
#include "db/index.h"
#include "db/journal.h"
#include "db/report.h"
#include "sys/exception.h"

using namespace dbformat;

namespace {

// Step numbers, kept in Step for the error report.
enum : int32_t {
  kStepReadFreeList = 1,
  kStepWriteFreeList = 2,
  kStepAllocate = 3,
  kStepAllocateFromFreeList = 4,
  kStepAllocateAtEnd = 5,
  kStepRelease = 6,
  kStepReturnSpace = 7,
  kStepWriteMagic = 9,
  kStepWriteHeader = 10,
  kStepReadHeader = 11,
};

bool g_sync = true;
bool g_journal = true;

FileStream::Mode ModeFor(const std::string& fileName, TFileManager::Access access) {
  if (access == TFileManager::Access::ReadOnly) return FileStream::Mode::ReadOnly;
  return CurrentDbFiles().Exists(fileName) ? FileStream::Mode::OpenExisting
                                           : FileStream::Mode::Create;
}

bool Overlaps(const LiveBlock& block, int64_t start, int64_t end) {
  return block.start < end && start < block.start + block.size;
}

}  // namespace

TFileManager::TFileManager(const std::string& fileName, Access access)
    : fileName_(fileName),
      readOnly_(access == Access::ReadOnly),
      mode_(ModeFor(fileName, access)),
      file_(CurrentDbFiles().Open(fileName, mode_)),
      identity_(file_->Identity()) {
  fileLength_ = length_ = file_->Size();
  if (fileLength_ < 0)
    Corrupt("the file's length cannot be read", 0);
  else if (g_journal)
    SettleJournal();
  if (Error == kDbOk && length_ == 0) {
    if (readOnly_) return;
    if (WriteMagic() && WriteHeader()) WriteFreeList();
  } else if (Error == kDbOk && ReadHeader() && ReadFreeList() && !readOnly_) {
    head_ = HeadBytes();  // what the tree's blocks are learnt from
    guarded_ = RootCell != -1;
    fileDataEnd_ = DataEnd;
    fileAreaSize_ = static_cast<int32_t>(FreeList.Area().size());
  }
  if (Error != 0) ReportError(Error);
}

TFileManager::~TFileManager() {
  if (FirstError == kDbOk && std::uncaught_exceptions() == 0) Commit();
  // A file this manager created and never wrote goes again: a failed
  // operation leaves no trace. It goes while we still hold it, where the
  // system allows (an opener waiting for it must not get a file that is
  // about to vanish); Windows refuses to delete an open file, and there an
  // opener that got in first makes the deletion fail.
  if (mode_ == FileStream::Mode::Create && fileLength_ == 0 &&
      !CurrentDbFiles().Remove(fileName_)) {
    file_.reset();
    CurrentDbFiles().Remove(fileName_);
  }
}

void TFileManager::SetSync(bool sync) { g_sync = sync; }

bool TFileManager::Sync() { return g_sync; }

void TFileManager::SetJournal(bool journal) { g_journal = journal; }

void TFileManager::SettleJournal() {
  Journal journal;
  int64_t size = 0;
  if (!FindJournal(*file_, fileLength_, journal, size)) return;
  const JournalVerdict verdict = Judge(journal, *file_, fileLength_, size);
  if (verdict == JournalVerdict::Overtaken)
    Notice = "an interrupted write's journal was dropped: another program has written to the "
             "file since";
  if (readOnly_) {
    // A reader may not write: it sees the file as the writer will leave it.
    length_ = verdict == JournalVerdict::Interrupted ? journal.oldLength : fileLength_ - size;
    // The old bytes, the earliest write's where two writes overlap.
    if (verdict == JournalVerdict::Interrupted)
      for (auto r = journal.ranges.rbegin(); r != journal.ranges.rend(); ++r)
        if (!r->before.empty())
          Pend(r->offset, r->before.data(), static_cast<int32_t>(r->before.size()));
    cacheable_ = overlay_.empty();
    return;
  }
  // A finished operation and one overtaken by another writer both keep the
  // bytes as they are; only an interrupted one is undone.
  const bool settled = verdict == JournalVerdict::Interrupted
                           ? RollBack(journal, *file_, g_sync)
                           : file_->Truncate(fileLength_ - size) && (!g_sync || file_->Sync());
  if (!settled) {
    SetError(kDbWriteError);
    Diagnosis = "the interrupted write cannot be settled";
    return;
  }
  fileLength_ = length_ = file_->Size();
  if (fileLength_ < 0) Corrupt("the file's length cannot be read", 0);
}

void TFileManager::SetError(int32_t code) {
  Error = code;
  if (code != 0 && FirstError == 0) FirstError = code;
}

bool TFileManager::SeekTo(int32_t position) {
  SetError(kDbOk);
  if (position < 0) {
    SetError(kDbSeekError);
  } else {
    position_ = position;
  }
  return Error == kDbOk;
}

bool TFileManager::ReadAt(int64_t position, void* buffer, int32_t count) {
  if (count < 0 || position < 0 || position > length_ - count) return false;
  if (count == 0) return true;
  uint8_t* out = static_cast<uint8_t*>(buffer);
  const int64_t end = position + count;
  auto it = overlay_.upper_bound(position);
  if (it != overlay_.begin()) {
    auto before = std::prev(it);
    const int64_t beforeEnd = before->first + static_cast<int64_t>(before->second.size());
    if (beforeEnd >= end) {  // wholly pending: no need to ask the file
      std::memcpy(out, before->second.data() + (position - before->first), count);
      return true;
    }
    if (beforeEnd > position) it = before;
  }
  // Behind the file's own end lie only pending bytes and the zeros of a gap.
  const int64_t inFile = std::max<int64_t>(0, std::min(end, fileLength_) - position);
  if (inFile > 0 && file_->ReadAt(position, out, static_cast<size_t>(inFile)) !=
                        static_cast<size_t>(inFile))
    return false;
  std::memset(out + inFile, 0, static_cast<size_t>(count - inFile));
  for (; it != overlay_.end() && it->first < end; ++it) {
    const int64_t from = std::max(position, it->first);
    const int64_t to = std::min(end, it->first + static_cast<int64_t>(it->second.size()));
    if (from < to)
      std::memcpy(out + (from - position), it->second.data() + (from - it->first),
                  static_cast<size_t>(to - from));
  }
  return true;
}

bool TFileManager::ReadBuf(void* buffer, int32_t count) {
  SetError(kDbOk);
  if (!ReadAt(position_, buffer, count)) {
    SetError(kDbReadError);
  } else {
    position_ += count;
  }
  return Error == kDbOk;
}

void TFileManager::Pend(int64_t position, const void* buffer, int32_t count) {
  const int64_t end = position + count;
  auto end_of = [](const std::pair<const int64_t, std::string>& r) {
    return r.first + static_cast<int64_t>(r.second.size());
  };
  // The range the write reaches first, touching counts.
  auto it = overlay_.upper_bound(position);
  if (it != overlay_.begin() && end_of(*std::prev(it)) >= position) --it;
  const char* bytes = static_cast<const char*>(buffer);
  if (it == overlay_.end() || it->first > end) {
    overlay_.emplace_hint(it, position, std::string(bytes, count));
    return;
  }
  if (it->first > position) {
    // The range moves back to where the write starts.
    std::string moved(bytes, count);
    if (end_of(*it) > end) moved.append(it->second, static_cast<size_t>(end - it->first));
    it = overlay_.emplace_hint(overlay_.erase(it), position, std::move(moved));
  } else {
    // In place; appending, the common case, copies only the new bytes.
    if (end > end_of(*it)) it->second.resize(static_cast<size_t>(end - it->first));
    std::memcpy(&it->second[position - it->first], bytes, count);
  }
  // Later ranges the write now reaches are folded in: the write covers
  // their front, their tail is appended.
  for (auto next = std::next(it); next != overlay_.end() && next->first <= end_of(*it);) {
    if (end_of(*next) > end_of(*it))
      it->second.append(next->second, static_cast<size_t>(end_of(*it) - next->first));
    next = overlay_.erase(next);
  }
}

bool TFileManager::WriteBuf(const void* buffer, int32_t count) {
  SetError(kDbOk);
  if (count < 0 || readOnly_ || position_ > INT64_MAX - count) {
    SetError(kDbWriteError);
    return false;
  }
  if (count > 0) Pend(position_, buffer, count);
  position_ += count;
  length_ = std::max(length_, position_);
  return true;
}

void TFileManager::FinishReleases() {
  if (releases_.empty()) return;
  for (const LiveBlock& block : releases_)
    ReturnSpace(static_cast<int32_t>(block.start), static_cast<int32_t>(block.size));
  WriteFreeList();
}

std::vector<TFileManager::CommitWrite> TFileManager::PlanNewFile() {
  FinishReleases();
  uint8_t header[8];
  PutInt32(header, RootCell);
  PutInt32(header + 4, DataEnd);
  Pend(kRootCellOffset, header, 8);
  const std::string area = FreeList.Area();
  Pend(DataEnd, area.data(), static_cast<int32_t>(area.size()));
  std::vector<CommitWrite> writes;
  for (const auto& pending : overlay_)
    writes.push_back(CommitWrite{pending.first, pending.second, CommitPhase::Blocks});
  return writes;
}

std::vector<TFileManager::CommitWrite> TFileManager::PlanPhases() {
  // The free list of the first phase: space that was free and is still, and
  // the old free-list area once blocks went behind it. It is read only by
  // whoever reads the new header, except where it is written over the old
  // one, and then it names less than the old one did.
  TFreeList first = FreeList;
  if (skipped_.size > 0)
    first.Add(static_cast<int32_t>(skipped_.start), static_cast<int32_t>(skipped_.size));
  // A free extent that ends the block area (a block the last operation
  // released) ends it no more, where the list fits in front of the old one:
  // the list goes into space that was free.
  if (DataEnd == fileDataEnd_ && first.Count() > 0) {
    const int last = first.Count() - 1;
    const int32_t start = first.Position(last);
    TFreeList rest = first;
    rest.Positions.pop_back();
    rest.Sizes.pop_back();
    if (static_cast<int64_t>(start) + first.Size(last) == DataEnd &&
        static_cast<int64_t>(start) + static_cast<int64_t>(rest.Area().size()) <= fileDataEnd_) {
      first = std::move(rest);
      DataEnd = start;
    }
  }
  const std::string firstArea = first.Area();
  // The switch: header and root cell, one write when they lie together (the
  // root cell of a file made by the format is its first block).
  std::vector<CommitWrite> switches;
  std::string head(8, '\0');
  PutInt32(&head[0], RootCell);
  PutInt32(&head[4], DataEnd);
  std::string cell(RootCell == kFirstPayload ? 8 : kRootCellPayload, '\0');
  const int64_t cellAt = RootCell == kFirstPayload ? kHeaderEnd : RootCell;
  ReadAt(cellAt, &cell[0], static_cast<int32_t>(cell.size()));
  if (RootCell == kFirstPayload) {
    switches.push_back(CommitWrite{kRootCellOffset, head + cell, CommitPhase::Switch});
  } else {
    switches.push_back(CommitWrite{kRootCellOffset, head, CommitPhase::Switch});
    switches.push_back(CommitWrite{cellAt, cell, CommitPhase::Switch});
  }
  // The blocks: everything pending beside the switch.
  std::vector<CommitWrite> writes;
  for (const auto& pending : overlay_) {
    const int64_t end = pending.first + static_cast<int64_t>(pending.second.size());
    int64_t from = pending.first;
    for (const CommitWrite& s : switches) {
      const int64_t sEnd = s.offset + static_cast<int64_t>(s.bytes.size());
      if (sEnd <= from || s.offset >= end) continue;
      if (s.offset > from)
        writes.push_back(CommitWrite{from, pending.second.substr(from - pending.first,
                                                                 s.offset - from),
                                     CommitPhase::Blocks});
      from = std::max(from, sEnd);
    }
    if (from < end)
      writes.push_back(
          CommitWrite{from, pending.second.substr(from - pending.first), CommitPhase::Blocks});
  }
  writes.push_back(CommitWrite{DataEnd, firstArea, CommitPhase::Blocks});
  writes.insert(writes.end(), switches.begin(), switches.end());
  // The released blocks join last, over the first list and as long as the
  // longer of the two, so that it covers the first one whole.
  TFreeList second = first;
  for (const LiveBlock& b : releases_)
    second.Add(static_cast<int32_t>(b.start), static_cast<int32_t>(b.size));
  std::string secondArea = second.Area();
  if (secondArea != firstArea) {
    if (secondArea.size() < firstArea.size()) secondArea += firstArea.substr(secondArea.size());
    writes.push_back(CommitWrite{DataEnd, secondArea, CommitPhase::Releases});
  }
  FreeList = std::move(second);
  return writes;
}

bool TFileManager::BuildJournal(const std::vector<CommitWrite>& writes, Journal& journal) {
  for (const CommitWrite& w : writes)
    length_ = std::max(length_, w.offset + static_cast<int64_t>(w.bytes.size()));
  journal.oldLength = fileLength_;
  journal.newLength = length_;
  std::string firstList;
  for (const CommitWrite& w : writes) {
    std::string before;
    if (w.phase == CommitPhase::Releases) {
      // As the first phase leaves it: its free list, then what the file held.
      before = firstList;
      const int64_t from = w.offset + static_cast<int64_t>(before.size());
      std::string rest(w.bytes.size() - before.size(), '\0');
      const int64_t inFile = std::clamp<int64_t>(fileLength_ - from, 0, rest.size());
      if (inFile > 0 && file_->ReadAt(from, &rest[0], static_cast<size_t>(inFile)) !=
                            static_cast<size_t>(inFile))
        return false;
      before += rest;
    } else {
      const int64_t inside =
          std::clamp<int64_t>(fileLength_ - w.offset, 0, static_cast<int64_t>(w.bytes.size()));
      before.resize(static_cast<size_t>(inside));
      if (inside > 0 && file_->ReadAt(w.offset, &before[0], before.size()) != before.size())
        return false;
      if (w.phase == CommitPhase::Blocks && w.offset == DataEnd) firstList = w.bytes;
    }
    journal.ranges.push_back(MakeRange(w.offset, w.bytes, std::move(before), fileLength_, w.phase));
  }
  return true;
}

bool TFileManager::WritePhase(const std::vector<CommitWrite>& writes, CommitPhase phase) {
  for (const CommitWrite& w : writes)
    if (w.phase == phase &&
        file_->WriteAt(w.offset, w.bytes.data(), w.bytes.size()) != w.bytes.size())
      return false;
  return true;
}

bool TFileManager::CommitFailed(const std::string& report) {
  overlay_.clear();
  length_ = fileLength_;
  SetError(kDbWriteError);
  Report = report;
  return false;
}

bool TFileManager::Commit() {
  if (readOnly_) return true;
  if (overlay_.empty() && releases_.empty()) return true;
  const bool guarded = guarded_;
  const std::vector<CommitWrite> writes = guarded ? PlanPhases() : PlanNewFile();
  if (!g_journal) {
    // A writer that knows no journals: the same order, straight into the file.
    for (CommitPhase phase : {CommitPhase::Blocks, CommitPhase::Switch, CommitPhase::Releases})
      if (!WritePhase(writes, phase)) return CommitFailed("a write into the file failed");
    for (const CommitWrite& w : writes)
      fileLength_ = std::max(fileLength_, w.offset + static_cast<int64_t>(w.bytes.size()));
    length_ = fileLength_;
    overlay_.clear();
    AfterCommit();
    return true;
  }
  // A new file's name must survive a power failure as well as its bytes.
  if (g_sync && mode_ == FileStream::Mode::Create && fileLength_ == 0 &&
      !CurrentDbFiles().SyncFolder(fileName_))
    return CommitFailed("the file's folder cannot be flushed");
  Journal journal;
  const bool known = BuildJournal(writes, journal);
  // The journal goes behind everything the operation writes. Where the file
  // holds records, the first phase writes only space no record uses and may
  // go with it; otherwise nothing of the operation reaches the file before
  // the journal is there whole.
  const std::string bytes = known ? EncodeJournal(journal) : std::string();
  if (!known || file_->WriteAt(length_, bytes.data(), bytes.size()) != bytes.size() ||
      (!guarded && g_sync && !file_->Sync())) {
    file_->Truncate(fileLength_);  // a journal cut short is never replayed
    return CommitFailed("the journal cannot be written");
  }
  // Each phase is on the disk before the next begins. Cutting the journal
  // away is the moment the operation is done; it need not wait for the disk:
  // a journal that comes back after a power failure finds every write made,
  // and the next opener cuts it again.
  auto flush = [this](bool needed) { return !needed || !g_sync || file_->Sync(); };
  bool releases = false;
  for (const CommitWrite& w : writes) releases = releases || w.phase == CommitPhase::Releases;
  const bool ok = WritePhase(writes, CommitPhase::Blocks) && flush(true) &&
                  WritePhase(writes, CommitPhase::Switch) && flush(guarded) &&
                  WritePhase(writes, CommitPhase::Releases) && flush(releases) &&
                  file_->Truncate(length_);
  if (!ok) {
    // Whatever of this does not happen now is the next opener's to finish.
    return CommitFailed(RollBack(journal, *file_, g_sync)
                            ? "a write into the file failed; it was rolled back"
                            : "a write into the file failed; the next opener rolls it back");
  }
  fileLength_ = length_;
  overlay_.clear();
  AfterCommit();
  return true;
}

void TFileManager::Discard() {
  if (readOnly_) return;
  overlay_.clear();
  skipped_ = LiveBlock{0, 0};
  releases_.clear();
  allocated_.clear();
  written_.clear();
  length_ = fileLength_;
}

bool TFileManager::ReadInt(int32_t& value) {
  uint8_t b[4];
  if (!ReadBuf(b, 4)) return false;
  value = GetInt32(b);
  return true;
}

bool TFileManager::WriteInt(int32_t value) {
  uint8_t b[4];
  PutInt32(b, value);
  return WriteBuf(b, 4);
}

bool TFileManager::WriteMagic() {
  Step = kStepWriteMagic;
  SetError(kDbOk);
  return SeekTo(0) && WriteBuf(kMagic, kMagicSize);
}

// The header and the free list reach the file at the commit, in the order
// that keeps the file whole for every reader (Commit).
bool TFileManager::WriteHeader() {
  Step = kStepWriteHeader;
  SetError(readOnly_ ? kDbWriteError : kDbOk);
  return Error == kDbOk;
}

bool TFileManager::ReadHeader() {
  Step = kStepReadHeader;
  uint8_t b[8];
  if (!SeekTo(kRootCellOffset) || !ReadBuf(b, 8)) return false;
  int32_t rootCell = GetInt32(b), dataEnd = GetInt32(b + 4);
  // The free-list count must lie inside the file, and the root cell inside
  // the block area; anything else would send writes into the header or far
  // past the end of the file.
  if (dataEnd < kHeaderEnd || dataEnd > length_ - 4)
    return Corrupt("DataEnd " + std::to_string(dataEnd) + " lies outside the file", kDataEndOffset);
  if (rootCell != -1 &&
      (rootCell < kFirstPayload || static_cast<int64_t>(rootCell) + kRootCellPayload > dataEnd))
    return Corrupt("RootCell " + std::to_string(rootCell) + " lies outside the block area",
                   kRootCellOffset);
  RootCell = rootCell;
  DataEnd = dataEnd;
  return true;
}

bool TFileManager::ReadFreeList() {
  Step = kStepReadFreeList;
  int32_t n = 0;
  const int64_t maxCount = (length_ - DataEnd - 4) / 8;
  // The count is checked against the file before anything is allocated.
  if (!SeekTo(DataEnd) || !ReadInt(n) || n < 0 || n > maxCount)
    return Corrupt("the free-list area is cut short or its count is too large", DataEnd);
  std::vector<uint8_t> runs(static_cast<size_t>(n) * 8);
  if (!ReadBuf(runs.data(), static_cast<int32_t>(runs.size())))
    return Corrupt("the free-list area is cut short or its count is too large", DataEnd);
  FreeList.Assign(n, runs.data());
  std::string fault = FreeList.Fault(kHeaderEnd, DataEnd);
  if (fault.empty() && RootCell != -1 &&
      FreeList.Overlaps(RootCell - kSizeFieldSize, kSizeFieldSize + kRootCellPayload))
    fault = "a free extent covers the root cell";
  if (!fault.empty()) {
    FreeList.Clear();
    return Corrupt(fault, DataEnd);
  }
  return true;
}

bool TFileManager::WriteFreeList() {
  Step = kStepWriteFreeList;
  SetError(readOnly_ ? kDbWriteError : kDbOk);
  return Error == kDbOk;
}

int64_t TFileManager::AppendStart() const {
  // The first block appended to a file that holds records goes behind its
  // free-list area: whoever reads the file before the commit is done still
  // finds its free list there.
  return DataEnd == fileDataEnd_ && guarded_ ? static_cast<int64_t>(DataEnd) + fileAreaSize_
                                             : DataEnd;
}

int32_t TFileManager::Allocate(int32_t n) {
  Step = kStepAllocate;
  if (n <= 0) return -1;
  if (n > INT32_MAX - kSizeFieldSize) {
    SetError(kDbWriteError);
    return -1;
  }
  const int32_t total = n + kSizeFieldSize;
  int32_t position = AllocateFromFreeList(total);
  if (position == -1 && Error == kDbOk) {
    // A block must stay addressable by a 32-bit position; free space below
    // the limit has been tried first.
    if (AppendStart() + total > INT32_MAX) {
      SetError(kDbWriteError);
      return -1;
    }
    position = AllocateAtEnd(total);
  }
  if (Error != kDbOk) return -1;
  allocated_.push_back(LiveBlock{position - kSizeFieldSize, total});
  if (RootCell == -1) {
    // The first block of every file is the root cell.
    RootCell = position;
    WriteHeader();
  }
  if (Error == kDbOk) WriteFreeList();
  if (Error != kDbOk) ReportError(Error);
  return position;
}

int32_t TFileManager::AllocateFromFreeList(int32_t total) {
  Step = kStepAllocateFromFreeList;
  SetError(kDbOk);
  // Free space is handed out only once it is known to hold no record: a
  // damaged free list would otherwise put the new record over a live one. A
  // tree that cannot be read whole leaves that unknown, and the block goes
  // behind the area, where it overwrites nothing.
  TFreeList untouched = FreeList;
  int32_t start = FreeList.Take(total);
  if (start == -1) return -1;
  if (!KnowLiveBlocks()) {
    FreeList = std::move(untouched);
    return -1;
  }
  const int64_t end = static_cast<int64_t>(start) + total;
  auto after = std::lower_bound(live_.begin(), live_.end(), end,
                                [](const LiveBlock& b, int64_t e) { return b.start < e; });
  if (after != live_.begin() && Overlaps(*std::prev(after), start, end)) {
    FreeList = std::move(untouched);
    Corrupt("the free extent at " + std::to_string(start) + " holds a live record", start);
    return -1;
  }
  if (SeekTo(start) && WriteInt(total)) WriteFreeList();
  return start + kSizeFieldSize;
}

int32_t TFileManager::AllocateAtEnd(int32_t total) {
  Step = kStepAllocateAtEnd;
  SetError(kDbOk);
  const int32_t start = static_cast<int32_t>(AppendStart());
  // The area left behind joins the free list at the commit; until then the
  // old free list lies there.
  if (start != DataEnd) skipped_ = LiveBlock{DataEnd, start - DataEnd};
  if (SeekTo(start) && WriteInt(total)) {
    DataEnd = start + total;
    WriteHeader();
  }
  return start + kSizeFieldSize;
}

bool TFileManager::Released(int32_t position) const {
  for (const LiveBlock& b : releases_)
    if (b.start + kSizeFieldSize == position) return true;
  return false;
}

void TFileManager::Release(int32_t position) {
  Step = kStepRelease;
  SetError(kDbOk);
  if (position == -1 || position == RootCell) return;  // the root cell stays
  int32_t size = 0;
  if (!PayloadInArea(position, 0)) {
    Corrupt("a released position lies outside the block area", position);
  } else if (NamedTwice(position) || Released(position)) {
    // Freeing it would hand the other entry's record out again.
    Corrupt("the block at " + std::to_string(position) + " is named by two entries", position);
  } else if (SeekTo(position - kSizeFieldSize) && ReadInt(size)) {
    // A size that does not describe a live block would put live bytes, the
    // header or the root cell into the free list, to be handed out again.
    const int64_t start = static_cast<int64_t>(position) - kSizeFieldSize;
    const int64_t end = start + size;
    bool hitsRootCell = RootCell != -1 && start < RootCell + kRootCellPayload &&
                        end > RootCell - kSizeFieldSize;
    bool hitsReleased = false;
    for (const LiveBlock& b : releases_) hitsReleased = hitsReleased || Overlaps(b, start, end);
    if (size <= kSizeFieldSize || end > DataEnd || hitsRootCell || hitsReleased ||
        FreeList.Overlaps(start, size) || HoldsLiveBlock(start, end, position)) {
      Corrupt("the block released at " + std::to_string(position) +
                  " has a size that does not fit: " + std::to_string(size),
              start);
    } else {
      // Free for the next operation: the records the file holds until this
      // one commits may not be overwritten before.
      releases_.push_back(LiveBlock{start, size});
    }
  }
  if (Error != kDbOk) ReportError(Error);
}

bool TFileManager::ReturnSpace(int32_t start, int32_t size) {
  Step = kStepReturnSpace;
  SetError(kDbOk);
  if (size == 0) return true;
  if (static_cast<int64_t>(start) + size < DataEnd) return FreeList.Add(start, size);
  // The last block of the area: the area ends where it began. Free extents
  // that end there stay in the list.
  DataEnd = start;
  return WriteHeader();
}

std::string TFileManager::ReportError(int32_t code) {
  Report = "Block: " + std::to_string(Step) + ", " + ErrorText(code);
  return Report;
}

std::string TFileManager::ErrorText(int32_t code) {
  switch (code) {
    case kDbOk: return "No error!";
    case kDbWriteError: return "Fatal write error!";
    case kDbReadError: return "Fatal read error!";
    case kDbSeekError: return "Fatal seek error!";
    default: return "Unknown FATAL error!";
  }
}

bool TFileManager::Corrupt(const std::string& what, int64_t offset) {
  SetError(kDbReadError);
  if (Diagnosis.empty()) Diagnosis = what + " (offset " + std::to_string(offset) + ")";
  return false;
}

bool TFileManager::PayloadInArea(int64_t position, int64_t minPayload) const {
  return position - kSizeFieldSize >= kHeaderEnd && position + minPayload <= DataEnd;
}

void TFileManager::Register(const TFMindex* index) { indexes_.push_back(index); }

void TFileManager::Unregister(const TFMindex* index) {
  indexes_.erase(std::remove(indexes_.begin(), indexes_.end(), index), indexes_.end());
}

// The root index's record is named by the root cell; every other record by an
// entry of a loaded index.
bool TFileManager::NamedTwice(int32_t position) const {
  int names = 0;
  for (const TFMindex* index : indexes_) {
    if (!index->Parent && index->Position == position) ++names;
    for (int i = 0; i < index->Count(); ++i)
      if (index->PositionAt(i) == position) ++names;
  }
  return names > 1;
}

bool TFileManager::HoldsLiveBlock(int64_t start, int64_t end, int32_t except) {
  // Records named by the loaded indexes, except those this manager gave back:
  // a block that starts inside the range, or the nearest one before it when
  // its size reaches in.
  int32_t before = -1;
  auto inside = [&](int32_t position) {
    if (position == -1 || position == except || Released(position)) return false;
    const int64_t blockStart = static_cast<int64_t>(position) - kSizeFieldSize;
    if (blockStart >= start && blockStart < end) return true;
    if (blockStart < start && position > before) before = position;
    return false;
  };
  for (const TFMindex* index : indexes_) {
    if (inside(index->Position)) return true;
    for (int i = 0; i < index->Count(); ++i)
      if (inside(index->PositionAt(i))) return true;
  }
  uint8_t size[4];
  return before != -1 && ReadAt(static_cast<int64_t>(before) - kSizeFieldSize, size, 4) &&
         static_cast<int64_t>(before) - kSizeFieldSize + GetInt32(size) > start;
}

std::string TFileManager::HeadBytes() {
  std::string head(kHeaderEnd - kRootCellOffset + kRootCellPayload, '\0');
  if (!ReadAt(kRootCellOffset, &head[0], kHeaderEnd - kRootCellOffset)) return std::string();
  if (RootCell != -1) ReadAt(RootCell, &head[kHeaderEnd - kRootCellOffset], kRootCellPayload);
  const std::string area = FreeList.Area();
  return head + area;
}

bool TFileManager::KnowLiveBlocks() {
  if (liveKnown_ || treeUnknown_) return liveKnown_;
  if (cacheable_ && !head_.empty()) {
    FileCache& cache = CacheFor(fileName_, identity_);
    if (cache.haveLive && cache.head == head_ && TreeUnchanged(cache)) {
      live_ = cache.live;
      treeIndexes_ = cache.treeIndexes;
      liveKnown_ = true;
      return true;
    }
  }
  // A tree that cannot be read whole is no failure of this operation, which
  // may not even touch the damaged part: its blocks are only unknown.
  const int32_t firstError = FirstError;
  const std::string diagnosis = Diagnosis;
  {
    QuietDbReports quiet;
    liveKnown_ = WalkTree();
  }
  if (!liveKnown_) {
    treeUnknown_ = true;
    FirstError = firstError;
    Error = kDbOk;
    Diagnosis = diagnosis;
  }
  return liveKnown_;
}

bool TFileManager::TreeUnchanged(const FileCache& cache) {
  std::string now;
  for (int32_t position : cache.treeIndexes) {
    if (std::find(verified_.begin(), verified_.end(), position) != verified_.end()) continue;
    auto kept = cache.indexes.find(position);
    if (kept == cache.indexes.end()) return false;
    now.resize(kept->second.block.size());
    if (!ReadAt(static_cast<int64_t>(position) - kSizeFieldSize, &now[0],
                static_cast<int32_t>(now.size())) ||
        now != kept->second.block)
      return false;
    verified_.push_back(position);
  }
  return true;
}

// Depth first from the root cell of the file as it stood when the operation
// began (blocks this operation added are not in the free list, so they need
// no guarding), with a bound on the blocks instead of a visited set: a block
// is at least 16 bytes, so a tree that names more than the area holds names
// some block twice, which the overlap check below would find in any case.
bool TFileManager::WalkTree() {
  live_.clear();
  treeIndexes_.clear();
  if (head_.empty() || RootCell == -1) return true;
  live_.push_back(LiveBlock{RootCell - kSizeFieldSize, kSizeFieldSize + kRootCellPayload});
  const int32_t root = GetInt32(&head_[kHeaderEnd - kRootCellOffset]);
  std::vector<int32_t> stack;
  if (root != -1) stack.push_back(root);
  const size_t most = static_cast<size_t>(DataEnd - kHeaderEnd) / 16 + 1;
  while (!stack.empty()) {
    const int32_t position = stack.back();
    stack.pop_back();
    int32_t size = 0;
    int kind = 0;
    if (!TFMindex::ReadBlock(*this, position, size, kind)) return false;
    live_.push_back(LiveBlock{static_cast<int64_t>(position) - kSizeFieldSize, size});
    if (live_.size() > most) return Corrupt("the tree names a block twice", position);
    if (kind != kKindIndex) {
      if (position == root) return Corrupt("the root cell names a data record", position);
      continue;
    }
    auto entries = TFMindex::ReadEntries(*this, position, std::string());
    if (!entries) return false;
    treeIndexes_.push_back(position);
    for (const IndexEntry& e : *entries)
      if (e.position != -1) stack.push_back(e.position);
  }
  std::sort(live_.begin(), live_.end(),
            [](const LiveBlock& a, const LiveBlock& b) { return a.start < b.start; });
  for (size_t i = 1; i < live_.size(); ++i)
    if (live_[i].start < live_[i - 1].start + live_[i - 1].size)
      return Corrupt("two records of the tree share bytes", live_[i].start);
  return true;
}

std::shared_ptr<const EntryList> TFileManager::KeptIndex(int32_t position,
                                                         const std::string& block) {
  if (!cacheable_) return nullptr;
  FileCache& cache = CacheFor(fileName_, identity_);
  auto kept = cache.indexes.find(position);
  if (kept == cache.indexes.end()) return nullptr;
  if (kept->second.block != block) {
    cache.Forget(position);
    return nullptr;
  }
  verified_.push_back(position);
  return kept->second.entries;
}

void TFileManager::KeepIndex(int32_t position, std::string block,
                             std::shared_ptr<const EntryList> entries) {
  if (!cacheable_) return;
  CacheFor(fileName_, identity_).Keep(position, std::move(block), std::move(entries));
  verified_.push_back(position);
}

void TFileManager::IndexWritten(int32_t position, std::string block,
                                std::shared_ptr<const EntryList> entries) {
  CachedIndex written;
  written.block = std::move(block);
  written.entries = std::move(entries);
  written_.emplace_back(position, std::move(written));
}

// After a commit the manager, and the cache, describe the file as this
// operation left it: the indexes it wrote, without the blocks it released,
// and the live blocks when this operation knew them.
void TFileManager::AfterCommit() {
  auto released = [this](int64_t start) {
    for (const LiveBlock& b : releases_)
      if (b.start == start) return true;
    return false;
  };
  if (liveKnown_) {
    std::vector<LiveBlock> live;
    for (const auto* blocks : {&live_, &allocated_})
      for (const LiveBlock& b : *blocks)
        if (!released(b.start)) live.push_back(b);
    std::sort(live.begin(), live.end(),
              [](const LiveBlock& a, const LiveBlock& b) { return a.start < b.start; });
    std::vector<int32_t> tree;
    for (int32_t p : treeIndexes_)
      if (!released(static_cast<int64_t>(p) - kSizeFieldSize)) tree.push_back(p);
    for (const auto& w : written_)
      if (!released(static_cast<int64_t>(w.first) - kSizeFieldSize)) tree.push_back(w.first);
    live_ = std::move(live);
    treeIndexes_ = std::move(tree);
  }
  guarded_ = RootCell != -1;
  fileDataEnd_ = DataEnd;
  fileAreaSize_ = static_cast<int32_t>(FreeList.Area().size());
  skipped_ = LiveBlock{0, 0};
  head_ = HeadBytes();
  verified_.clear();
  if (cacheable_) {
    FileCache& cache = CacheFor(fileName_, identity_);
    for (auto& w : written_) cache.Keep(w.first, std::move(w.second.block), w.second.entries);
    for (const LiveBlock& b : releases_)
      cache.Forget(static_cast<int32_t>(b.start) + kSizeFieldSize);
    cache.haveLive = liveKnown_;
    if (liveKnown_) {
      cache.live = live_;
      cache.treeIndexes = treeIndexes_;
      cache.head = head_;
    }
  }
  releases_.clear();
  allocated_.clear();
  written_.clear();
}
