// One index loaded into memory: keys in entry order, each with the payload
// position of its record (or -1). Indexes nest; storing one stores every index
// above it up to the root cell.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "db/index_cache.h"

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

  int Count() const { return static_cast<int>(entries_->size()); }
  const std::string& Key(int i) const { return (*entries_)[i].key; }
  int32_t PositionAt(int i) const { return (*entries_)[i].position; }
  void SetKey(int i, const std::string& key) { Edit()[i].key = key; }
  // The first entry whose key equals key ignoring case, or -1.
  int IndexOf(const std::string& key) const;
  // Every key followed by CR LF.
  std::string Text() const;
  // How many keys the NUL-terminated text of an index holds (the line rules
  // of TextToLines).
  static size_t CountKeys(const char* text);
  // The entries of the index record at position: the kept ones when the
  // record's bytes prove them current, else read, inflated and parsed (and
  // kept). nullptr, with manager.FirstError set, when the record is no
  // readable index record; name is for the diagnosis.
  static std::shared_ptr<const EntryList> ReadEntries(TFileManager& manager, int32_t position,
                                                      const std::string& name);
  // The block size and kind of the record at position; false, with
  // manager.FirstError set, when its head does not fit the block area.
  static bool ReadBlock(TFileManager& manager, int32_t position, int32_t& blockSize, int& kind);

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
  struct RecordHead {
    int32_t blockSize;
    uint8_t header[4];
    int32_t storedSize;
    int32_t unpackedSize;
  };

  void Load();
  // The entries from an index's NUL-terminated text; false, with none kept,
  // when it holds more than maxKeys keys.
  static bool ParseKeys(const char* text, size_t maxKeys, EntryList& entries);
  static bool ReadRecordHead(TFileManager& manager, int32_t position, RecordHead& head);
  static bool Inflate(TFileManager& manager, TDataBuf& buffer, int32_t position);
  int32_t AllocateRecord(int64_t storedSize);
  // Writes the record; block, when given, gets the whole block as written.
  bool WriteRecordAt(int32_t position, const TDataBuf& buffer, std::string* block);
  // The entries, to change: a copy of its own once they are shared.
  EntryList& Edit();

  std::shared_ptr<const EntryList> entries_;
  EntryList* own_ = nullptr;  // entries_, while no one else holds them
};
