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
  auto empty = std::make_shared<EntryList>();
  own_ = empty.get();
  entries_ = std::move(empty);
  Manager.Register(this);
  Load();
}

TFMindex::~TFMindex() { Manager.Unregister(this); }

EntryList& TFMindex::Edit() {
  if (!own_) {
    auto copy = std::make_shared<EntryList>(*entries_);
    own_ = copy.get();
    entries_ = std::move(copy);
  }
  return *own_;
}

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
  if (auto entries = ReadEntries(Manager, Position, Name)) {
    entries_ = std::move(entries);
    own_ = nullptr;
  }
}

std::shared_ptr<const EntryList> TFMindex::ReadEntries(TFileManager& manager, int32_t position,
                                                       const std::string& name) {
  RecordHead head;
  if (!ReadRecordHead(manager, position, head)) return nullptr;
  if (head.header[0] != kKindIndex) {
    // Taking a data record's lines for keys would let the next write replace
    // the record with an index.
    manager.Corrupt("the record of index \"" + name + "\" is not an index record", position);
    return nullptr;
  }
  std::string block(static_cast<size_t>(head.blockSize), '\0');
  if (!manager.SeekTo(position - kSizeFieldSize) || !manager.ReadBuf(&block[0], head.blockSize))
    return nullptr;
  if (auto kept = manager.KeptIndex(position, block)) return kept;
  const size_t stored = kSizeFieldSize + kRecordHeaderSize;
  TDataBuf buffer;
  buffer.ReplaceData(block.data() + stored, head.storedSize);
  buffer.SetHeader(head.header);
  buffer.UnpackedSize = head.unpackedSize;
  if (!Inflate(manager, buffer, position)) return nullptr;
  // The position list bounds the number of keys, before any is built.
  const size_t list = stored + static_cast<size_t>(head.storedSize);
  auto entries = std::make_shared<EntryList>();
  if (!ParseKeys(reinterpret_cast<const char*>(buffer.Data()), (block.size() - list) / 4,
                 *entries)) {
    manager.Corrupt("the position list of index \"" + name + "\" is shorter than its keys",
                    position);
    return nullptr;
  }
  for (size_t i = 0; i < entries->size(); ++i)
    (*entries)[i].position = GetInt32(block.data() + list + 4 * i);
  manager.KeepIndex(position, std::move(block), entries);
  return entries;
}

bool TFMindex::ReadBlock(TFileManager& manager, int32_t position, int32_t& blockSize, int& kind) {
  RecordHead head;
  if (!ReadRecordHead(manager, position, head)) return false;
  blockSize = head.blockSize;
  kind = head.header[0];
  return true;
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

bool TFMindex::ParseKeys(const char* text, size_t maxKeys, EntryList& entries) {
  // maxKeys comes from the position list, which the file holds: the
  // reservation is bounded by the file's length.
  entries.reserve(maxKeys);
  for (const char* p = text; *p;) {
    if (entries.size() == maxKeys) {
      entries.clear();
      return false;
    }
    const size_t n = std::strcspn(p, "\r\n");
    entries.push_back(IndexEntry{std::string(p, n), -1});
    p += n;
    if (*p == '\r') ++p;
    if (*p == '\n') ++p;
  }
  return true;
}

bool TFMindex::ReadRecordHead(TFileManager& manager, int32_t position, RecordHead& head) {
  if (!manager.PayloadInArea(position, kRecordHeaderSize))
    return manager.Corrupt("a record position lies outside the block area", position);
  uint8_t b[kSizeFieldSize + kRecordHeaderSize];
  if (!manager.SeekTo(position - kSizeFieldSize) || !manager.ReadBuf(b, sizeof b)) return false;
  head.blockSize = GetInt32(b);
  for (int i = 0; i < 4; ++i) head.header[i] = b[4 + i];
  head.storedSize = GetInt32(b + 8);
  head.unpackedSize = GetInt32(b + 12);
  int64_t start = static_cast<int64_t>(position) - kSizeFieldSize;
  if (head.blockSize < kSizeFieldSize + kRecordHeaderSize ||
      start + head.blockSize > manager.DataEnd)
    return manager.Corrupt("the record block does not fit the block area", start);
  if (head.storedSize < 0 ||
      static_cast<int64_t>(head.storedSize) + kSizeFieldSize + kRecordHeaderSize > head.blockSize)
    return manager.Corrupt("the stored size does not fit the record's block", position + 4);
  if (head.unpackedSize < 0) return manager.Corrupt("the unpacked size is negative", position + 8);
  return true;
}

bool TFMindex::Inflate(TFileManager& manager, TDataBuf& buffer, int32_t position) {
  // A record stored as is has equal sizes; anything else is a damaged
  // Compressed byte, and its bytes are no text.
  if (buffer.Compressed != kStoredCompressed) {
    if (buffer.Size() == buffer.UnpackedSize) return true;
    return manager.Corrupt("a stored record's unpacked size differs from its size", position);
  }
  buffer.Decompress();
  if (buffer.Compressed != 0) return manager.Corrupt("the record does not inflate", position);
  if (buffer.Size() != buffer.UnpackedSize)
    return manager.Corrupt("the record inflates to " + std::to_string(buffer.Size()) +
                               " bytes, not the " + std::to_string(buffer.UnpackedSize) +
                               " recorded",
                           position);
  return true;
}

int TFMindex::IndexOf(const std::string& key) const {
  const EntryList& entries = *entries_;
  for (size_t i = 0; i < entries.size(); ++i)
    if (AnsiSameText(entries[i].key, key)) return static_cast<int>(i);
  return -1;
}

std::string TFMindex::Text() const {
  std::string text;
  size_t length = 0;
  for (const IndexEntry& e : *entries_) length += e.key.size() + 2;
  text.reserve(length + 1);
  for (const IndexEntry& e : *entries_) {
    text += e.key;
    text += "\r\n";
  }
  return text;
}

int32_t TFMindex::Lookup(const std::string& key) const {
  int i = IndexOf(key);
  return i < 0 ? -1 : (*entries_)[i].position;
}

int32_t TFMindex::RecordSize(const std::string& key) {
  int32_t position = Lookup(key);
  RecordHead head;
  if (position == -1 || !ReadRecordHead(Manager, position, head)) return 0;
  return head.storedSize;
}

int TFMindex::RecordKind(const std::string& key) {
  int32_t position = Lookup(key);
  RecordHead head;
  if (position == -1 || !ReadRecordHead(Manager, position, head)) return -1;
  return head.header[0];
}

int32_t TFMindex::SetEntry(const std::string& key, int32_t position) {
  if (key.empty()) return -1;
  int i = IndexOf(key);
  if (i < 0) {
    Edit().push_back(IndexEntry{key, position});
  } else {
    Edit()[i].position = position;
  }
  return position;
}

int32_t TFMindex::SetEntryAndSave(const std::string& key, int32_t position) {
  int32_t result = SetEntry(key, position);
  SaveAndLink();
  return result;
}

int32_t TFMindex::AllocateRecord(int64_t storedSize) {
  int64_t payload = kRecordHeaderSize + storedSize + 4 * static_cast<int64_t>(Count());
  // Too large for a 32-bit block: Allocate refuses INT32_MAX with a write error.
  return Manager.Allocate(payload > INT32_MAX ? INT32_MAX : static_cast<int32_t>(payload));
}

bool TFMindex::WriteRecordAt(int32_t position, const TDataBuf& buffer, std::string* block) {
  // Size field, header, sizes, stored bytes and the position of every entry;
  // the size field is the allocation's, already pending.
  const EntryList& entries = *entries_;
  std::string bytes(kSizeFieldSize + kRecordHeaderSize + static_cast<size_t>(buffer.Size()) +
                        4 * entries.size(),
                    '\0');
  uint8_t* record = reinterpret_cast<uint8_t*>(&bytes[kSizeFieldSize]);
  PutInt32(&bytes[0], static_cast<int32_t>(bytes.size()));
  buffer.GetHeader(record);
  PutInt32(record + 4, buffer.Size());
  PutInt32(record + 8, buffer.UnpackedSize);
  if (buffer.Size() > 0) std::copy(buffer.Data(), buffer.Data() + buffer.Size(), record + 12);
  uint8_t* list = record + kRecordHeaderSize + buffer.Size();
  for (size_t i = 0; i < entries.size(); ++i) PutInt32(list + 4 * i, entries[i].position);
  const bool written =
      Manager.SeekTo(position) &&
      Manager.WriteBuf(record, static_cast<int32_t>(bytes.size()) - kSizeFieldSize);
  if (written && block) *block = std::move(bytes);
  return written;
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
  std::string block;
  if (Position != -1 && !WriteRecordAt(Position, buffer, &block)) Position = -1;
  // Kept for the next operation once this one is committed; changes after
  // this point go to a copy.
  if (Position != -1) {
    Manager.IndexWritten(Position, std::move(block), entries_);
    own_ = nullptr;
  }
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
  if (!buffer || position == -1 || !ReadRecordHead(Manager, position, head)) return nullptr;
  TDataBuf loaded;
  loaded.SetHeader(head.header);
  loaded.ReplaceData(nullptr, head.storedSize);
  loaded.UnpackedSize = head.unpackedSize;
  if (!Manager.SeekTo(position + kRecordHeaderSize) ||
      !Manager.ReadBuf(loaded.MutableData(), head.storedSize) ||
      !Inflate(Manager, loaded, position))
    return nullptr;
  buffer->TakeFrom(loaded);
  return buffer->Data();
}

int32_t TFMindex::WriteRecord(const std::string& key, TDataBuf* buffer, bool save) {
  if (IndexOf(key) < 0) Edit().push_back(IndexEntry{key, -1});
  int32_t old = Lookup(key);
  if (old != -1) Manager.Release(old);
  int32_t result;
  if (!buffer) {
    EntryList& entries = Edit();
    entries.erase(entries.begin() + IndexOf(key));
    result = old;
  } else {
    const uint8_t header[4] = {kKindData, 0, 0, 0};
    buffer->SetHeader(header);
    buffer->Compress();
    // The record carries the entries as they stand: its own still shows old.
    int32_t position = AllocateRecord(buffer->Size());
    if (position != -1 && !WriteRecordAt(position, *buffer, nullptr)) position = -1;
    Edit()[IndexOf(key)].position = position;
    result = position;
  }
  if (save) SaveAndLink();
  return result;
}
