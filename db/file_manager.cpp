#include "db/file_manager.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <exception>

#include "db/format.h"
#include "db/index.h"
#include "db/journal.h"
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

bool g_sync = false;

FileStream::Mode ModeFor(const std::string& fileName, TFileManager::Access access) {
  if (access == TFileManager::Access::ReadOnly) return FileStream::Mode::ReadOnly;
  return CurrentDbFiles().Exists(fileName) ? FileStream::Mode::OpenExisting
                                           : FileStream::Mode::Create;
}

}  // namespace

TFileManager::TFileManager(const std::string& fileName, Access access)
    : fileName_(fileName),
      readOnly_(access == Access::ReadOnly),
      mode_(ModeFor(fileName, access)),
      file_(CurrentDbFiles().Open(fileName, mode_)) {
  fileLength_ = length_ = file_->Size();
  if (fileLength_ < 0)
    Corrupt("the file's length cannot be read", 0);
  else
    RecoverJournal();
  if (Error == kDbOk && length_ == 0) {
    if (readOnly_) return;
    if (WriteMagic() && WriteHeader()) WriteFreeList();
  } else if (Error == kDbOk && ReadHeader()) {
    ReadFreeList();
  }
  if (Error != 0) ReportError(Error);
}

TFileManager::~TFileManager() {
  if (FirstError == kDbOk && std::uncaught_exceptions() == 0) Commit();
  // A file this manager created and never wrote goes again: a failed
  // operation leaves no trace.
  if (mode_ == FileStream::Mode::Create && fileLength_ == 0) {
    file_.reset();
    CurrentDbFiles().Remove(fileName_);
  }
}

void TFileManager::SetSync(bool sync) { g_sync = sync; }

void TFileManager::RecoverJournal() {
  Journal journal;
  int64_t size = 0;
  if (!FindJournal(*file_, fileLength_, journal, size)) return;
  const int64_t rest = fileLength_ - size;
  // A journal that the file no longer fits describes changes someone else has
  // overwritten since: rolling it back would destroy theirs.
  const bool fits = JournalFits(journal, *file_, fileLength_, size);
  if (readOnly_) {
    // A reader may not write: it sees the file as the roll-back will leave it.
    length_ = fits ? journal.oldLength : rest;
    if (fits)
      for (const JournalRange& r : journal.ranges)
        if (!r.before.empty()) overlay_[r.offset] = r.before;
    return;
  }
  const bool undone = fits ? RollBack(journal, *file_) : file_->Truncate(rest);
  if (!undone || (g_sync && !file_->Sync())) {
    SetError(kDbWriteError);
    Diagnosis = "the interrupted write cannot be rolled back";
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
  if (count < 0 || position < 0 || position + count > length_) return false;
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
  if (count < 0 || readOnly_) {
    SetError(kDbWriteError);
    return false;
  }
  if (count > 0) Pend(position_, buffer, count);
  position_ += count;
  length_ = std::max(length_, position_);
  return true;
}

bool TFileManager::Commit() {
  if (readOnly_ || overlay_.empty()) return true;
  Journal journal;
  journal.oldLength = fileLength_;
  journal.newLength = length_;
  std::vector<std::pair<int64_t, std::string>> ranges;
  bool ok = true;
  for (auto& pending : overlay_) {
    JournalRange r;
    r.offset = pending.first;
    r.after = pending.second.substr(0, kCheckedBytes);
    const int64_t old =
        std::min<int64_t>(pending.second.size(), std::max<int64_t>(0, fileLength_ - r.offset));
    r.before.assign(static_cast<size_t>(old), '\0');
    ok &= file_->ReadAt(r.offset, &r.before[0], r.before.size()) == r.before.size();
    journal.ranges.push_back(std::move(r));
    ranges.emplace_back(pending.first, std::move(pending.second));
  }
  overlay_.clear();
  // The journal goes behind everything the operation writes; nothing of the
  // operation reaches the file before the journal is there whole.
  const std::string bytes = ok ? EncodeJournal(journal) : std::string();
  if (!ok || file_->WriteAt(length_, bytes.data(), bytes.size()) != bytes.size() ||
      (g_sync && !file_->Sync())) {
    file_->Truncate(fileLength_);  // a journal cut short is never replayed
    SetError(kDbWriteError);
    Report = "the journal cannot be written";
    return false;
  }
  for (const auto& r : ranges)
    ok = ok && file_->WriteAt(r.first, r.second.data(), r.second.size()) == r.second.size();
  // Cutting the journal away is the moment the operation is done.
  ok = ok && file_->Truncate(length_) && (!g_sync || file_->Sync());
  if (!ok) {
    // Whatever of this does not happen now is the next opener's to finish.
    if (RollBack(journal, *file_) && g_sync) file_->Sync();
    SetError(kDbWriteError);
    Report = "a write into the file failed; it was rolled back";
    return false;
  }
  fileLength_ = length_;
  released_.clear();
  return true;
}

void TFileManager::Discard() {
  if (readOnly_) return;
  overlay_.clear();
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
  if (position == -1) position = AllocateAtEnd(total);
  if (Error != kDbOk) return -1;
  // Given back earlier in this operation, live again now.
  released_.erase(std::remove(released_.begin(), released_.end(), position), released_.end());
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
  int32_t start = FreeList.Take(total);
  if (start == -1) return -1;
  if (HoldsLiveBlock(start, static_cast<int64_t>(start) + total, -1))
    Corrupt("the free extent at " + std::to_string(start) + " holds a live record", start);
  else if (SeekTo(start) && WriteInt(total))
    WriteFreeList();
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

void TFileManager::Release(int32_t position) {
  Step = kStepRelease;
  SetError(kDbOk);
  if (position == -1 || position == RootCell) return;  // the root cell stays
  int32_t size = 0;
  if (!PayloadInArea(position, 0)) {
    Corrupt("a released position lies outside the block area", position);
  } else if (NamedTwice(position)) {
    // Freeing it would hand the other entry's record out again.
    Corrupt("the block at " + std::to_string(position) + " is named by two entries", position);
  } else if (SeekTo(position - kSizeFieldSize) && ReadInt(size)) {
    // A size that does not describe a live block would put live bytes, the
    // header or the root cell into the free list, to be handed out again.
    int64_t start = static_cast<int64_t>(position) - kSizeFieldSize;
    bool hitsRootCell = RootCell != -1 && start < RootCell + kRootCellPayload &&
                        start + size > RootCell - kSizeFieldSize;
    if (size <= kSizeFieldSize || start + size > DataEnd || hitsRootCell ||
        FreeList.Overlaps(start, size) || HoldsLiveBlock(start, start + size, position)) {
      Corrupt("the block released at " + std::to_string(position) +
                  " has a size that does not fit: " + std::to_string(size),
              start);
    } else if (ReturnSpace(static_cast<int32_t>(start), size)) {
      released_.push_back(position);
      WriteFreeList();
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
  auto given_back = [this](int32_t position) {
    return std::find(released_.begin(), released_.end(), position) != released_.end();
  };
  int32_t before = -1;
  auto inside = [&](int32_t position) {
    if (position == -1 || position == except) return false;
    const int64_t blockStart = static_cast<int64_t>(position) - kSizeFieldSize;
    if (blockStart >= start && blockStart < end) return !given_back(position);
    if (blockStart < start && position > before && !given_back(position)) before = position;
    return false;
  };
  for (const TFMindex* index : indexes_) {
    if (inside(index->Position)) return true;
    for (int i = 0; i < index->Count(); ++i)
      if (inside(index->PositionAt(i))) return true;
  }
  uint8_t size[4];
  return before != -1 && ReadAt(before - kSizeFieldSize, size, 4) &&
         before - kSizeFieldSize + GetInt32(size) > start;
}
