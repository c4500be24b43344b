// One index loaded into memory: keys in entry order, each with the payload
// position of its record (or -1). Indexes nest; storing one stores every index
// above it up to the root cell.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

class TDataBuf;
class TFileManager;

class TFMindex {
 public:
  // Loads the index named name in parent; the root index has no parent and an
  // empty name, and loading it gives a file without a root cell its cell. A
  // record that cannot be read or fails its checks leaves the index empty and
  // Manager.FirstError set.
  TFMindex(TFileManager& manager, TFMindex* parent, const std::string& name);
  ~TFMindex();
  TFMindex(const TFMindex&) = delete;
  TFMindex& operator=(const TFMindex&) = delete;

  int Count() const { return static_cast<int>(entries_.size()); }
  const std::string& Key(int i) const { return entries_[i].key; }
  int32_t PositionAt(int i) const { return entries_[i].position; }
  void SetKey(int i, const std::string& key) { entries_[i].key = key; }
  // The first entry whose key equals key ignoring case, or -1.
  int IndexOf(const std::string& key) const;
  // Every key followed by CR LF.
  std::string Text() const;
  // How many keys the NUL-terminated text of an index holds (the line rules
  // of TextToLines).
  static size_t CountKeys(const char* text);

  int32_t Lookup(const std::string& key) const;
  // The stored size of the record under key; 0 when the key is absent.
  int32_t RecordSize(const std::string& key);
  // The kind byte of the record under key; -1 when the key is absent.
  int RecordKind(const std::string& key);
  int32_t SetEntry(const std::string& key, int32_t position);
  int32_t SetEntryAndSave(const std::string& key, int32_t position);
  // Writes the index as a new record (releasing the old one first); returns
  // the new Position, -1 when no block could be had or the write failed.
  int32_t Save();
  // Save, then enter the new position in the parent (or the root cell).
  int32_t SaveAndLink();
  // Loads the record under key into buffer, inflated; nullptr, with buffer
  // untouched, when there is no such record or it cannot be read whole.
  const uint8_t* ReadRecord(const std::string& key, TDataBuf* buffer);
  // Stores buffer (compressed in place) under key, or deletes key with a null
  // buffer; with save, the index is stored afterwards.
  int32_t WriteRecord(const std::string& key, TDataBuf* buffer, bool save);

  std::string Name;
  int32_t Position = -1;
  TFMindex* Parent;
  TFileManager& Manager;

 private:
  struct Entry {
    std::string key;
    int32_t position;
  };
  struct RecordHead {
    int32_t blockSize;
    uint8_t header[4];
    int32_t storedSize;
    int32_t unpackedSize;
  };

  void Load();
  // Fills the entries from an index's NUL-terminated text; false, with none
  // kept, when it holds more than maxKeys keys.
  bool ParseKeys(const char* text, size_t maxKeys);
  bool ReadRecordHead(int32_t position, RecordHead& head);
  bool Inflate(TDataBuf& buffer, int32_t position);
  int32_t AllocateRecord(int64_t storedSize);
  bool WriteRecordAt(int32_t position, const TDataBuf& buffer);

  std::vector<Entry> entries_;
};
