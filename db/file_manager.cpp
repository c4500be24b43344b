#include "db/file_manager.h"

#include <cstdint>

#include "db/format.h"

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

FileStream::Mode ModeFor(const std::string& fileName, TFileManager::Access access) {
  if (access == TFileManager::Access::ReadOnly) return FileStream::Mode::ReadOnly;
  return FileStream::Exists(fileName) ? FileStream::Mode::OpenExisting : FileStream::Mode::Create;
}

}  // namespace

TFileManager::TFileManager(const std::string& fileName, Access access)
    : readOnly_(access == Access::ReadOnly), stream_(fileName, ModeFor(fileName, access)) {
  fileLength_ = stream_.Size();
  if (fileLength_ < 0) {
    Corrupt("the file's length cannot be read", 0);
  } else if (fileLength_ == 0) {
    if (readOnly_) return;
    if (WriteMagic() && WriteHeader()) WriteFreeList();
  } else if (ReadHeader()) {
    ReadFreeList();
  }
  if (Error != 0) ReportError(Error);
}

void TFileManager::SetError(int32_t code) {
  Error = code;
  if (code != 0 && FirstError == 0) FirstError = code;
}

bool TFileManager::SeekTo(int32_t position) {
  SetError(kDbOk);
  if (stream_.Seek(position) != position) SetError(kDbSeekError);
  return Error == kDbOk;
}

bool TFileManager::ReadBuf(void* buffer, int32_t count) {
  SetError(kDbOk);
  if (count < 0 || stream_.Read(buffer, static_cast<size_t>(count)) != static_cast<size_t>(count))
    SetError(kDbReadError);
  return Error == kDbOk;
}

bool TFileManager::WriteBuf(const void* buffer, int32_t count) {
  SetError(kDbOk);
  if (count < 0 || stream_.Write(buffer, static_cast<size_t>(count)) != static_cast<size_t>(count))
    SetError(kDbWriteError);
  return Error == kDbOk;
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
  if (dataEnd < kHeaderEnd || dataEnd > fileLength_ - 4)
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
  if (!SeekTo(DataEnd)) return false;
  int64_t maxCount = (fileLength_ - DataEnd - 4) / 8;
  if (!FreeList.LoadFrom(stream_, maxCount)) {
    FreeList.Clear();
    return Corrupt("the free-list area is cut short or its count is too large", DataEnd);
  }
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
  if (!SeekTo(DataEnd)) return false;
  if (!FreeList.SaveTo(stream_)) SetError(kDbWriteError);
  return Error == kDbOk;
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

void TFileManager::Release(int32_t position) {
  Step = kStepRelease;
  SetError(kDbOk);
  if (position == -1 || position == RootCell) return;  // the root cell stays
  int32_t size = 0;
  if (!PayloadInArea(position, 0)) {
    Corrupt("a released position lies outside the block area", position);
  } else if (SeekTo(position - kSizeFieldSize) && ReadInt(size)) {
    // A size that does not describe a live block would put live bytes, the
    // header or the root cell into the free list, to be handed out again.
    int64_t start = static_cast<int64_t>(position) - kSizeFieldSize;
    bool hitsRootCell = RootCell != -1 && start < RootCell + kRootCellPayload &&
                        start + size > RootCell - kSizeFieldSize;
    if (size <= kSizeFieldSize || start + size > DataEnd || hitsRootCell ||
        FreeList.Overlaps(start, size)) {
      Corrupt("the block released at " + std::to_string(position) +
                  " has a size that does not fit: " + std::to_string(size),
              start);
    } else if (ReturnSpace(static_cast<int32_t>(start), size)) {
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
