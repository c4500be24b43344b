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
  else
    SettleJournal();
  if (Error == kDbOk && length_ == 0) {
    if (readOnly_) return;
    if (WriteMagic() && WriteHeader()) WriteFreeList();
  } else if (Error == kDbOk && ReadHeader() && ReadFreeList() && !readOnly_) {
    head_ = HeadBytes();  // what the tree's blocks are learnt from
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
    if (verdict == JournalVerdict::Interrupted)
      for (const JournalRange& r : journal.ranges)
        if (!r.before.empty()) overlay_[r.offset] = r.before;
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

bool TFileManager::Commit() {
  if (readOnly_) return true;
  FinishReleases();
  if (overlay_.empty()) return true;
  // The header goes with every commit, changed or not: a program that knows
  // no journals rewrites it with every write of its own, so a journal whose
  // header bytes are neither the old nor the new ones was overtaken. The root
  // cell of a file made by this engine follows the header at 50; rewriting
  // the size field between them makes header and cell one write.
  uint8_t head[16];
  PutInt32(head, RootCell);
  PutInt32(head + 4, DataEnd);
  const bool oneWrite = RootCell == kFirstPayload && ReadAt(kHeaderEnd, head + 8, 8);
  Pend(kRootCellOffset, head, oneWrite ? 16 : 8);

  Journal journal;
  journal.oldLength = fileLength_;
  journal.newLength = length_;
  bool ok = true;
  for (const auto& pending : overlay_) {
    const int64_t inside = std::clamp<int64_t>(fileLength_ - pending.first, 0,
                                               static_cast<int64_t>(pending.second.size()));
    std::string before(static_cast<size_t>(inside), '\0');
    ok = ok && (inside == 0 || file_->ReadAt(pending.first, &before[0], before.size()) ==
                                   before.size());
    journal.ranges.push_back(MakeRange(pending.first, pending.second, std::move(before),
                                       fileLength_));
  }
  // The journal goes behind everything the operation writes; nothing of the
  // operation reaches the file before the journal is there whole.
  const std::string bytes = ok ? EncodeJournal(journal) : std::string();
  if (!ok || file_->WriteAt(length_, bytes.data(), bytes.size()) != bytes.size() ||
      (g_sync && !file_->Sync())) {
    file_->Truncate(fileLength_);  // a journal cut short is never replayed
    overlay_.clear();
    length_ = fileLength_;
    SetError(kDbWriteError);
    Report = "the journal cannot be written";
    return false;
  }
  // Cutting the journal away is the moment the operation is done.
  ok = WriteRanges(journal) && (!g_sync || file_->Sync()) && file_->Truncate(length_) &&
       (!g_sync || file_->Sync());
  overlay_.clear();
  if (!ok) {
    // Whatever of this does not happen now is the next opener's to finish.
    RollBack(journal, *file_, g_sync);
    length_ = fileLength_;
    SetError(kDbWriteError);
    Report = "a write into the file failed; it was rolled back";
    return false;
  }
  fileLength_ = length_;
  AfterCommit();
  return true;
}

// A program that knows no journals and opens the file before the commit is
// done must find the records the file held, or the new ones, never a mixture:
// the new blocks go first (into space that was free), then the header and
// the root cell, which make them the file's records in one small write; last
// whatever lies in blocks the operation released, which the old records
// needed until then (the free-list area, when releasing the last block moved
// DataEnd back onto one).
bool TFileManager::WriteRanges(const Journal& journal) {
  struct Piece {
    int phase;
    int64_t offset;
    const char* bytes;
    size_t size;
  };
  // The switch: header and root cell, one region when they lie together.
  std::vector<std::pair<int64_t, int64_t>> switches;
  if (RootCell == kFirstPayload) {
    switches.emplace_back(kRootCellOffset, kFirstPayload + kRootCellPayload);
  } else {
    switches.emplace_back(kRootCellOffset, kHeaderEnd);
    if (RootCell != -1) switches.emplace_back(RootCell, RootCell + kRootCellPayload);
  }
  std::vector<int64_t> cuts;
  for (const auto& s : switches) {
    cuts.push_back(s.first);
    cuts.push_back(s.second);
  }
  for (const LiveBlock& b : releases_) {
    cuts.push_back(b.start);
    cuts.push_back(b.start + b.size);
  }
  std::sort(cuts.begin(), cuts.end());
  cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
  auto phaseOf = [&](int64_t start, int64_t end) {
    for (const auto& s : switches)
      if (start >= s.first && end <= s.second) return 1;
    for (const LiveBlock& b : releases_)
      if (Overlaps(b, start, end)) return 2;
    return 0;
  };
  std::vector<Piece> pieces;
  for (const auto& pending : overlay_) {
    const int64_t end = pending.first + static_cast<int64_t>(pending.second.size());
    int64_t from = pending.first;
    for (auto cut = std::upper_bound(cuts.begin(), cuts.end(), from);; ++cut) {
      const int64_t to = cut == cuts.end() ? end : std::min(*cut, end);
      pieces.push_back(Piece{phaseOf(from, to), from,
                             pending.second.data() + (from - pending.first),
                             static_cast<size_t>(to - from)});
      if (to == end) break;
      from = to;
    }
  }
  // A new file has no readers to keep whole.
  if (journal.oldLength == 0)
    for (Piece& p : pieces) p.phase = 0;
  std::stable_sort(pieces.begin(), pieces.end(),
                   [](const Piece& a, const Piece& b) { return a.phase < b.phase; });
  for (const Piece& p : pieces)
    if (file_->WriteAt(p.offset, p.bytes, p.size) != p.size) return false;
  return true;
}

void TFileManager::Discard() {
  if (readOnly_) return;
  overlay_.clear();
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

bool TFileManager::WriteHeader() {
  Step = kStepWriteHeader;
  uint8_t b[8];
  PutInt32(b, RootCell);
  PutInt32(b + 4, DataEnd);
  return SeekTo(kRootCellOffset) && WriteBuf(b, 8);
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
  const std::string area = FreeList.Area();
  return SeekTo(DataEnd) && WriteBuf(area.data(), static_cast<int32_t>(area.size()));
}

int32_t TFileManager::Allocate(int32_t n) {
  Step = kStepAllocate;
  if (n <= 0) return -1;
  // A block must stay addressable by a 32-bit position.
  if (static_cast<int64_t>(DataEnd) + n + kSizeFieldSize > INT32_MAX) {
    SetError(kDbWriteError);
    return -1;
  }
  int32_t total = n + kSizeFieldSize;
  int32_t position = AllocateFromFreeList(total);
  if (position == -1 && Error == kDbOk) position = AllocateAtEnd(total);
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
  int32_t position = DataEnd + kSizeFieldSize;
  // The new block covers the start of the old free-list area; Allocate writes
  // the list again behind it.
  if (SeekTo(DataEnd) && WriteInt(total)) {
    DataEnd += total;
    WriteHeader();
  }
  return position;
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
