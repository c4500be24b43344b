#include "db/index.h"

#include <cstdint>
#include <cstring>

#include "db/data_buf.h"
#include "db/file_manager.h"
#include "db/format.h"
#include "sys/ansi.h"

using namespace dbformat;

TFMindex::TFMindex(TFileManager& manager, TFMindex* parent, const std::string& name)
    : Name(name), Parent(parent), Manager(manager) {
  Manager.Register(this);
  Load();
}

TFMindex::~TFMindex() { Manager.Unregister(this); }

void TFMindex::Load() {
  if (Parent && !Name.empty()) {
    Position = Parent->Lookup(Name);
  } else if (Manager.RootCell == -1) {
    // The first allocation of a file becomes its root cell; a reader only
    // finds no records.
    Position = -1;
    if (Manager.ReadOnly()) return;
    int32_t cell = Manager.Allocate(kRootCellPayload);
    if (cell != -1 && Manager.SeekTo(cell)) Manager.WriteInt(Position);
  } else if (!Manager.SeekTo(Manager.RootCell) || !Manager.ReadInt(Position)) {
    Position = -1;
    return;
  }
  if (Position == -1) return;

  RecordHead head;
  if (!ReadRecordHead(Position, head)) return;
  if (head.header[0] != kKindIndex) {
    // Taking a data record's lines for keys would let the next write replace
    // the record with an index.
    Manager.Corrupt("the record of index \"" + Name + "\" is not an index record", Position);
    return;
  }
  TDataBuf buffer;
  buffer.ReplaceData(nullptr, head.storedSize);
  buffer.SetHeader(head.header);
  buffer.UnpackedSize = head.unpackedSize;
  std::vector<uint8_t> list(static_cast<size_t>(head.blockSize) - kSizeFieldSize -
                            kRecordHeaderSize - static_cast<size_t>(head.storedSize));
  if (!Manager.SeekTo(Position + kRecordHeaderSize) ||
      !Manager.ReadBuf(buffer.MutableData(), head.storedSize) ||
      !Manager.ReadBuf(list.data(), static_cast<int32_t>(list.size())) ||
      !Inflate(buffer, Position))
    return;
  // The position list bounds the number of keys, before any is built.
  if (!ParseKeys(reinterpret_cast<const char*>(buffer.Data()), list.size() / 4)) {
    Manager.Corrupt("the position list of index \"" + Name + "\" is shorter than its keys",
                    Position);
    return;
  }
  for (size_t i = 0; i < entries_.size(); ++i) entries_[i].position = GetInt32(&list[4 * i]);
}

// The text rules of a list of lines (TextToLines), straight into the entries:
// a line ends at CR, LF or CR LF, the text at its first NUL, and a last line
// without an end counts. Loading big indexes is the engine's hot path.
size_t TFMindex::CountKeys(const char* text) {
  size_t keys = 0;
  for (const char* p = text; *p; ++keys) {
    p += std::strcspn(p, "\r\n");
    if (*p == '\r') ++p;
    if (*p == '\n') ++p;
  }
  return keys;
}

bool TFMindex::ParseKeys(const char* text, size_t maxKeys) {
  // maxKeys comes from the position list, which the file holds: the
  // reservation is bounded by the file's length.
  entries_.reserve(maxKeys);
  for (const char* p = text; *p;) {
    if (entries_.size() == maxKeys) {
      entries_.clear();
      return false;
    }
    const size_t n = std::strcspn(p, "\r\n");
    entries_.push_back(Entry{std::string(p, n), -1});
    p += n;
    if (*p == '\r') ++p;
    if (*p == '\n') ++p;
  }
  return true;
}

bool TFMindex::ReadRecordHead(int32_t position, RecordHead& head) {
  if (!Manager.PayloadInArea(position, kRecordHeaderSize))
    return Manager.Corrupt("a record position lies outside the block area", position);
  uint8_t b[kSizeFieldSize + kRecordHeaderSize];
  if (!Manager.SeekTo(position - kSizeFieldSize) || !Manager.ReadBuf(b, sizeof b)) return false;
  head.blockSize = GetInt32(b);
  for (int i = 0; i < 4; ++i) head.header[i] = b[4 + i];
  head.storedSize = GetInt32(b + 8);
  head.unpackedSize = GetInt32(b + 12);
  int64_t start = static_cast<int64_t>(position) - kSizeFieldSize;
  if (head.blockSize < kSizeFieldSize + kRecordHeaderSize ||
      start + head.blockSize > Manager.DataEnd)
    return Manager.Corrupt("the record block does not fit the block area", start);
  if (head.storedSize < 0 ||
      static_cast<int64_t>(head.storedSize) + kSizeFieldSize + kRecordHeaderSize > head.blockSize)
    return Manager.Corrupt("the stored size does not fit the record's block", position + 4);
  if (head.unpackedSize < 0) return Manager.Corrupt("the unpacked size is negative", position + 8);
  return true;
}

bool TFMindex::Inflate(TDataBuf& buffer, int32_t position) {
  // A record stored as is has equal sizes; anything else is a damaged
  // Compressed byte, and its bytes are no text.
  if (buffer.Compressed != kStoredCompressed) {
    if (buffer.Size() == buffer.UnpackedSize) return true;
    return Manager.Corrupt("a stored record's unpacked size differs from its size", position);
  }
  buffer.Decompress();
  if (buffer.Compressed != 0) return Manager.Corrupt("the record does not inflate", position);
  if (buffer.Size() != buffer.UnpackedSize)
    return Manager.Corrupt("the record inflates to " + std::to_string(buffer.Size()) +
                               " bytes, not the " + std::to_string(buffer.UnpackedSize) +
                               " recorded",
                           position);
  return true;
}

int TFMindex::IndexOf(const std::string& key) const {
  for (size_t i = 0; i < entries_.size(); ++i)
    if (AnsiSameText(entries_[i].key, key)) return static_cast<int>(i);
  return -1;
}

std::string TFMindex::Text() const {
  std::string text;
  size_t length = 0;
  for (const Entry& e : entries_) length += e.key.size() + 2;
  text.reserve(length + 1);
  for (const Entry& e : entries_) {
    text += e.key;
    text += "\r\n";
  }
  return text;
}

int32_t TFMindex::Lookup(const std::string& key) const {
  int i = IndexOf(key);
  return i < 0 ? -1 : entries_[i].position;
}

int32_t TFMindex::RecordSize(const std::string& key) {
  int32_t position = Lookup(key);
  RecordHead head;
  if (position == -1 || !ReadRecordHead(position, head)) return 0;
  return head.storedSize;
}

int TFMindex::RecordKind(const std::string& key) {
  int32_t position = Lookup(key);
  RecordHead head;
  if (position == -1 || !ReadRecordHead(position, head)) return -1;
  return head.header[0];
}

int32_t TFMindex::SetEntry(const std::string& key, int32_t position) {
  if (key.empty()) return -1;
  int i = IndexOf(key);
  if (i < 0) {
    entries_.push_back(Entry{key, position});
  } else {
    entries_[i].position = position;
  }
  return position;
}

int32_t TFMindex::SetEntryAndSave(const std::string& key, int32_t position) {
  int32_t result = SetEntry(key, position);
  SaveAndLink();
  return result;
}

int32_t TFMindex::AllocateRecord(int64_t storedSize) {
  int64_t payload = kRecordHeaderSize + storedSize + 4 * static_cast<int64_t>(entries_.size());
  // Too large for a 32-bit block: Allocate refuses INT32_MAX with a write error.
  return Manager.Allocate(payload > INT32_MAX ? INT32_MAX : static_cast<int32_t>(payload));
}

bool TFMindex::WriteRecordAt(int32_t position, const TDataBuf& buffer) {
  // Header, sizes, stored bytes and the position of every entry: one write.
  std::vector<uint8_t> record(kRecordHeaderSize + static_cast<size_t>(buffer.Size()) +
                              4 * entries_.size());
  buffer.GetHeader(record.data());
  PutInt32(&record[4], buffer.Size());
  PutInt32(&record[8], buffer.UnpackedSize);
  if (buffer.Size() > 0)
    std::copy(buffer.Data(), buffer.Data() + buffer.Size(), record.begin() + kRecordHeaderSize);
  uint8_t* list = record.data() + kRecordHeaderSize + buffer.Size();
  for (size_t i = 0; i < entries_.size(); ++i) PutInt32(list + 4 * i, entries_[i].position);
  return Manager.SeekTo(position) &&
         Manager.WriteBuf(record.data(), static_cast<int32_t>(record.size()));
}

int32_t TFMindex::Save() {
  // The old record goes first, so that the new one may take its place.
  if (Position != -1) Manager.Release(Position);
  std::string text = Text();
  text.push_back('\0');
  TDataBuf buffer(text.data(), static_cast<int32_t>(text.size()));
  const uint8_t header[4] = {kKindIndex, 0, 0, 0};
  buffer.SetHeader(header);
  buffer.Compress();
  Position = AllocateRecord(buffer.Size());
  // A record that did not reach the file whole must not be linked either.
  if (Position != -1 && !WriteRecordAt(Position, buffer)) Position = -1;
  return Position;
}

int32_t TFMindex::SaveAndLink() {
  int32_t position = Save();
  // Without a new record, keep the parent's entry: -1 there would orphan every
  // record below this index. The failure stays in Manager.FirstError.
  if (position == -1) return -1;
  if (Parent) {
    Parent->SetEntryAndSave(Name, position);
  } else if (Manager.SeekTo(Manager.RootCell)) {
    Manager.WriteInt(position);
  }
  return position;
}

const uint8_t* TFMindex::ReadRecord(const std::string& key, TDataBuf* buffer) {
  int32_t position = Lookup(key);
  RecordHead head;
  if (!buffer || position == -1 || !ReadRecordHead(position, head)) return nullptr;
  TDataBuf loaded;
  loaded.SetHeader(head.header);
  loaded.ReplaceData(nullptr, head.storedSize);
  loaded.UnpackedSize = head.unpackedSize;
  if (!Manager.SeekTo(position + kRecordHeaderSize) ||
      !Manager.ReadBuf(loaded.MutableData(), head.storedSize) || !Inflate(loaded, position))
    return nullptr;
  buffer->TakeFrom(loaded);
  return buffer->Data();
}

int32_t TFMindex::WriteRecord(const std::string& key, TDataBuf* buffer, bool save) {
  if (IndexOf(key) < 0) entries_.push_back(Entry{key, -1});
  int32_t old = Lookup(key);
  if (old != -1) Manager.Release(old);
  int32_t result;
  if (!buffer) {
    entries_.erase(entries_.begin() + IndexOf(key));
    result = old;
  } else {
    const uint8_t header[4] = {kKindData, 0, 0, 0};
    buffer->SetHeader(header);
    buffer->Compress();
    // The record carries the entries as they stand: its own still shows old.
    int32_t position = AllocateRecord(buffer->Size());
    if (position != -1 && !WriteRecordAt(position, *buffer)) position = -1;
    entries_[IndexOf(key)].position = position;
    result = position;
  }
  if (save) SaveAndLink();
  return result;
}
