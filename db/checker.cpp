#include "db/checker.h"

#include <zlib.h>

#include <algorithm>
#include <set>

#include "db/format.h"
#include "db/index.h"
#include "sys/lines.h"

using namespace dbformat;

namespace {

const size_t kMaxFaults = 64;

struct Block {
  int64_t start, end;
};

class Inspector {
 public:
  explicit Inspector(const std::string& bytes) : bytes_(bytes) { out_.length = bytes.size(); }

  DbInspection Run() {
    if (ReadHeader() && ReadFreeList() && ReadRootCell()) WalkTree();
    CheckOverlaps();
    return std::move(out_);
  }

 private:
  bool Fault(const std::string& what, int64_t offset) {
    if (out_.faults.size() < kMaxFaults) out_.faults.push_back(DbFault{what, offset});
    return false;
  }
  int32_t IntAt(int64_t offset) const { return GetInt32(bytes_.data() + offset); }

  bool ReadHeader() {
    if (out_.length < kHeaderEnd + 4)
      return Fault("the file is shorter than its header and free-list count", out_.length);
    for (int i = 0; i < kMagicSize; ++i)
      if (bytes_[i] != kMagic[i]) {
        Fault("the magic does not match", i);
        break;
      }
    out_.rootCell = IntAt(kRootCellOffset);
    out_.dataEnd = IntAt(kDataEndOffset);
    if (out_.dataEnd < kHeaderEnd || out_.dataEnd > out_.length - 4)
      return Fault("DataEnd " + std::to_string(out_.dataEnd) + " lies outside the file",
                   kDataEndOffset);
    return true;
  }

  bool ReadFreeList() {
    int64_t at = out_.dataEnd;
    int32_t n = IntAt(at);
    if (n < 0 || at + 4 + 8 * static_cast<int64_t>(n) > out_.length)
      return Fault("the free-list count " + std::to_string(n) + " does not fit the file", at);
    int64_t previousEnd = -1;
    for (int32_t i = 0; i < n; ++i) {
      int32_t start = IntAt(at + 4 + 4 * static_cast<int64_t>(i));
      int32_t size = IntAt(at + 4 + 4 * (static_cast<int64_t>(n) + i));
      int64_t end = static_cast<int64_t>(start) + size;
      if (size <= 0)
        Fault("free extent " + std::to_string(i) + " has no size", start);
      else if (start < kHeaderEnd || end > out_.dataEnd)
        Fault("free extent " + std::to_string(i) + " lies outside the block area", start);
      else if (start < previousEnd)
        Fault("free extent " + std::to_string(i) + " is out of order or overlaps the one before",
              start);
      else if (start == previousEnd)
        Fault("free extent " + std::to_string(i) + " touches the one before", start);
      else
        out_.freeExtents.emplace_back(start, size);
      previousEnd = std::max(previousEnd, end);
    }
    return true;
  }

  bool ReadRootCell() {
    int32_t cell = out_.rootCell;
    if (cell == -1) {
      if (out_.dataEnd != kHeaderEnd)
        return Fault("the file has blocks but no root cell", kRootCellOffset);
      return false;  // a new file: nothing below
    }
    int64_t start = static_cast<int64_t>(cell) - kSizeFieldSize;
    if (start < kHeaderEnd || static_cast<int64_t>(cell) + kRootCellPayload > out_.dataEnd)
      return Fault("RootCell " + std::to_string(cell) + " lies outside the block area",
                   kRootCellOffset);
    if (IntAt(start) != kSizeFieldSize + kRootCellPayload)
      Fault("the root cell's block size is not 8", start);
    Claim(start, start + kSizeFieldSize + kRootCellPayload);
    out_.rootIndex = IntAt(cell);
    return out_.rootIndex != -1;
  }

  bool Claim(int64_t start, int64_t end) {
    if (!starts_.insert(start).second) return Fault("a block is referenced twice", start);
    live_.push_back(Block{start, end});
    out_.liveBytes += end - start;
    return true;
  }

  // Reads and checks the record at position into node; positions receives an
  // index's position list.
  bool ReadRecord(int32_t position, DbNode& node, std::vector<int32_t>& positions) {
    int64_t start = static_cast<int64_t>(position) - kSizeFieldSize;
    if (start < kHeaderEnd || static_cast<int64_t>(position) + kRecordHeaderSize > out_.dataEnd)
      return Fault("record position " + std::to_string(position) + " lies outside the block area",
                   position);
    int32_t blockSize = IntAt(start);
    if (blockSize < kSizeFieldSize + kRecordHeaderSize || start + blockSize > out_.dataEnd)
      return Fault("the record block's size " + std::to_string(blockSize) + " does not fit", start);
    if (!Claim(start, start + blockSize)) return false;
    const uint8_t kind = static_cast<uint8_t>(bytes_[position]);
    node.compressed = static_cast<uint8_t>(bytes_[position + 3]) == kStoredCompressed;
    node.storedSize = IntAt(position + 4);
    node.unpackedSize = IntAt(position + 8);
    int64_t room = blockSize - kSizeFieldSize - kRecordHeaderSize;
    if (node.storedSize < 0 || node.storedSize > room)
      return Fault("the stored size does not fit the record's block", position + 4);
    if (kind != kKindIndex && kind != kKindData)
      return Fault("the record kind " + std::to_string(kind) + " is neither index nor data",
                   position);
    std::string stored = bytes_.substr(position + kRecordHeaderSize, node.storedSize);
    std::string unpacked;
    if (!Unpack(stored, node, unpacked, position)) return false;
    int64_t listBytes = room - node.storedSize;
    if (kind == kKindData) {
      node.kind = kind;
      node.bytes = std::move(unpacked);
      if (listBytes % 4 != 0)
        return Fault("the data record's position list is not whole", position);
      return true;
    }
    // Counted before the keys are built: a hostile text may be all line ends.
    if (listBytes != 4 * static_cast<int64_t>(TFMindex::CountKeys(unpacked.c_str())))
      return Fault("the index's block does not hold exactly one position per key", position);
    Lines keys = TextToLines(unpacked);
    node.kind = kind;
    node.keyCount = static_cast<int>(keys.size());
    keys_ = std::move(keys);
    int64_t list = position + kRecordHeaderSize + node.storedSize;
    positions.clear();
    for (size_t i = 0; i < keys_.size(); ++i) positions.push_back(IntAt(list + 4 * i));
    return true;
  }

  bool Unpack(const std::string& stored, const DbNode& node, std::string& unpacked,
              int32_t position) {
    if (node.unpackedSize < 0) return Fault("the unpacked size is negative", position + 8);
    if (!node.compressed) {
      if (node.unpackedSize != node.storedSize)
        return Fault("a stored record's unpacked size differs from its size", position + 8);
      unpacked = stored;
      return true;
    }
    if (node.unpackedSize > kMaxInflateRatio * node.storedSize)
      return Fault("the unpacked size is beyond what the stored bytes can hold", position + 8);
    // One byte more than recorded, so that a longer stream shows.
    unpacked.assign(static_cast<size_t>(node.unpackedSize) + 1, '\0');
    z_stream zs{};
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(stored.data()));
    zs.avail_in = static_cast<uInt>(stored.size());
    zs.next_out = reinterpret_cast<Bytef*>(&unpacked[0]);
    zs.avail_out = static_cast<uInt>(unpacked.size());
    int result = inflateInit2(&zs, 15);
    if (result == Z_OK) {
      result = inflate(&zs, Z_FINISH);
      inflateEnd(&zs);
    }
    if (result != Z_STREAM_END) return Fault("the record does not inflate", position);
    if (zs.total_out != static_cast<uLong>(node.unpackedSize))
      return Fault("the record inflates to " + std::to_string(zs.total_out) + " bytes, not " +
                       std::to_string(node.unpackedSize),
                   position);
    unpacked.resize(zs.total_out);
    return true;
  }

  // Depth first, entries in order, with an explicit stack: a hostile file may
  // nest deeper than any call stack.
  void WalkTree() {
    struct Pending {
      int depth;
      std::string key;
      int32_t position;
    };
    std::vector<int32_t> positions;
    DbNode root;
    if (!ReadRecord(out_.rootIndex, root, positions)) return;
    if (root.kind != kKindIndex) {
      Fault("the root cell names a data record", out_.rootIndex);
      return;
    }
    out_.rootKeyCount = root.keyCount;
    std::vector<Pending> stack;
    for (size_t i = keys_.size(); i-- > 0;) stack.push_back(Pending{0, keys_[i], positions[i]});
    while (!stack.empty() && out_.faults.size() < kMaxFaults) {
      Pending p = std::move(stack.back());
      stack.pop_back();
      DbNode node;
      node.depth = p.depth;
      node.key = p.key;
      node.position = p.position;
      bool read = p.position == -1 || ReadRecord(p.position, node, positions);
      out_.nodes.push_back(node);
      if (!read || node.kind != kKindIndex) continue;
      for (size_t i = keys_.size(); i-- > 0;)
        stack.push_back(Pending{p.depth + 1, keys_[i], positions[i]});
    }
  }

  void CheckOverlaps() {
    std::sort(live_.begin(), live_.end(),
              [](const Block& a, const Block& b) { return a.start < b.start; });
    for (size_t i = 1; i < live_.size(); ++i)
      if (live_[i].start < live_[i - 1].end) Fault("two live blocks overlap", live_[i].start);
    for (const auto& extent : out_.freeExtents) {
      int64_t start = extent.first, end = start + extent.second;
      // The first live block that ends behind the extent's start.
      auto it = std::upper_bound(live_.begin(), live_.end(), start,
                                 [](int64_t s, const Block& b) { return s < b.end; });
      for (; it != live_.end() && it->start < end; ++it)
        if (it->end > start) {
          Fault("a free extent overlaps a live block", start);
          break;
        }
    }
  }

  const std::string& bytes_;
  DbInspection out_;
  std::set<int64_t> starts_;
  std::vector<Block> live_;
  Lines keys_;  // the keys of the index ReadRecord read last
};

}  // namespace

std::string DbInspection::FirstFault() const {
  if (faults.empty()) return std::string();
  return faults[0].what + " (offset " + std::to_string(faults[0].offset) + ")";
}

DbInspection InspectDatabase(const std::string& bytes) { return Inspector(bytes).Run(); }
