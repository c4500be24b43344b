#include "db/checker.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>
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
  Inspector(int64_t length, const DbReader& read, const DbVisitor& visit, size_t keepData)
      : read_(read), visit_(visit), keepData_(keepData) {
    out_.length = length;
  }

  // A free list that fails does not hide the tree: a reader needs only the
  // tree, and a repair starts from what it can still reach.
  DbInspection Run() {
    if (ReadHeader()) {
      ReadFreeList();
      if (ReadRootCell()) WalkTree();
    }
    CheckOverlaps();
    return std::move(out_);
  }

 private:
  bool Fault(const std::string& what, int64_t offset) {
    if (out_.faults.size() < kMaxFaults) out_.faults.push_back(DbFault{what, offset});
    return false;
  }
  // Offsets are checked against the file before they are read; a read that
  // fails all the same is the file changing or failing under us.
  bool Read(int64_t offset, void* out, size_t count) {
    if (read_(offset, out, count)) return true;
    return Fault("the file cannot be read", offset);
  }
  int32_t IntAt(int64_t offset) {
    uint8_t b[4] = {0, 0, 0, 0};
    Read(offset, b, 4);
    return GetInt32(b);
  }

  bool ReadHeader() {
    if (out_.length < kHeaderEnd + 4)
      return Fault("the file is shorter than its header and free-list count", out_.length);
    char magic[kMagicSize];
    if (!Read(0, magic, kMagicSize)) return false;
    for (int i = 0; i < kMagicSize; ++i)
      if (magic[i] != kMagic[i]) {
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
    std::vector<uint8_t> runs(static_cast<size_t>(n) * 8);
    if (!Read(at + 4, runs.data(), runs.size())) return false;
    int64_t previousEnd = -1;
    for (int32_t i = 0; i < n; ++i) {
      int32_t start = GetInt32(&runs[4 * static_cast<size_t>(i)]);
      int32_t size = GetInt32(&runs[4 * (static_cast<size_t>(n) + i)]);
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

  // Reads and checks the record at position into node; an index's keys go to
  // keys_ and its position list to positions.
  bool ReadRecord(int32_t position, DbNode& node, std::vector<int32_t>& positions) {
    int64_t start = static_cast<int64_t>(position) - kSizeFieldSize;
    if (start < kHeaderEnd || static_cast<int64_t>(position) + kRecordHeaderSize > out_.dataEnd)
      return Fault("record position " + std::to_string(position) + " lies outside the block area",
                   position);
    int32_t blockSize = IntAt(start);
    if (blockSize < kSizeFieldSize + kRecordHeaderSize || start + blockSize > out_.dataEnd)
      return Fault("the record block's size " + std::to_string(blockSize) + " does not fit", start);
    if (!Claim(start, start + blockSize)) return false;
    // The block is one record: reading it whole costs no more than its bytes.
    std::vector<uint8_t> block(static_cast<size_t>(blockSize) - kSizeFieldSize);
    if (!Read(position, block.data(), block.size())) return false;
    const uint8_t kind = block[0];
    node.compressed = block[3] == kStoredCompressed;
    node.storedSize = GetInt32(&block[4]);
    node.unpackedSize = GetInt32(&block[8]);
    int64_t room = static_cast<int64_t>(block.size()) - kRecordHeaderSize;
    if (node.storedSize < 0 || node.storedSize > room)
      return Fault("the stored size does not fit the record's block", position + 4);
    if (kind != kKindIndex && kind != kKindData)
      return Fault("the record kind " + std::to_string(kind) + " is neither index nor data",
                   position);
    if (block[1] != 0 || block[2] != 0) return Fault("the reserved bytes are not 0", position + 1);
    if (block[3] > kStoredCompressed)
      return Fault("the compressed flag " + std::to_string(block[3]) + " is neither 0 nor 1",
                   position + 3);
    const int64_t listBytes = room - node.storedSize;
    // The engine writes the index's positions, the record's own entry among them.
    if (kind == kKindData && (listBytes < 4 || listBytes % 4 != 0))
      return Fault("the data record's position list is missing or not whole", position);
    std::string unpacked;
    const size_t keep = kind == kKindIndex ? SIZE_MAX : keepData_;
    if (!Unpack(&block[kRecordHeaderSize], node, keep, unpacked, position)) return false;
    if (kind == kKindData) {
      node.kind = kind;
      node.bytes = std::move(unpacked);
      return true;
    }
    if (unpacked.empty() || unpacked.find('\0') != unpacked.size() - 1)
      return Fault("the index text does not end in its one NUL", position);
    // Counted before the keys are built: a hostile text may be all line ends.
    if (listBytes != 4 * static_cast<int64_t>(TFMindex::CountKeys(unpacked.c_str())))
      return Fault("the index's block does not hold exactly one position per key", position);
    keys_ = TextToLines(unpacked);
    node.kind = kind;
    node.keyCount = static_cast<int>(keys_.size());
    const uint8_t* list = &block[kRecordHeaderSize + static_cast<size_t>(node.storedSize)];
    positions.clear();
    for (size_t i = 0; i < keys_.size(); ++i) positions.push_back(GetInt32(list + 4 * i));
    return true;
  }

  // Inflates in pieces, keeping the first keep bytes: a check needs no more
  // than one piece in memory, however far a record unpacks.
  bool Unpack(const uint8_t* stored, const DbNode& node, size_t keep, std::string& unpacked,
              int32_t position) {
    if (node.unpackedSize < 0) return Fault("the unpacked size is negative", position + 8);
    if (!node.compressed) {
      if (node.unpackedSize != node.storedSize)
        return Fault("a stored record's unpacked size differs from its size", position + 8);
      unpacked.assign(reinterpret_cast<const char*>(stored),
                      std::min<size_t>(node.storedSize, keep));
      return true;
    }
    if (node.unpackedSize > kMaxInflateRatio * node.storedSize)
      return Fault("the unpacked size is beyond what the stored bytes can hold", position + 8);
    unpacked.reserve(std::min<size_t>(node.unpackedSize, keep));
    z_stream zs{};
    zs.next_in = const_cast<Bytef*>(stored);
    zs.avail_in = static_cast<uInt>(node.storedSize);
    int result = inflateInit2(&zs, 15);
    if (result != Z_OK) return Fault("the record does not inflate", position);
    char piece[16384];
    do {
      zs.next_out = reinterpret_cast<Bytef*>(piece);
      zs.avail_out = sizeof piece;
      result = inflate(&zs, Z_NO_FLUSH);
      const size_t got = sizeof piece - zs.avail_out;
      if (unpacked.size() < keep) unpacked.append(piece, std::min(got, keep - unpacked.size()));
      // A stream longer than recorded is known to be wrong as soon as it shows.
    } while (result == Z_OK && zs.total_out <= static_cast<uLong>(node.unpackedSize));
    inflateEnd(&zs);
    if (result != Z_STREAM_END && result != Z_OK) return Fault("the record does not inflate", position);
    if (zs.total_out != static_cast<uLong>(node.unpackedSize))
      return Fault("the record inflates to " + std::to_string(zs.total_out) + " bytes, not " +
                       std::to_string(node.unpackedSize),
                   position);
    if (result != Z_STREAM_END) return Fault("the record does not inflate", position);
    if (zs.avail_in != 0)
      return Fault("bytes follow the zlib stream within the stored size", position);
    return true;
  }

  void Visit(DbNode& node) {
    if (visit_) {
      visit_(node);
    } else {
      out_.nodes.push_back(std::move(node));
    }
  }

  // Depth first, entries in order, with an explicit stack: a hostile file may
  // nest deeper than any call stack. Pending entries keep only the start of
  // their keys.
  void WalkTree() {
    struct Pending {
      int depth;
      std::string key;
      size_t keyLength;
      int32_t position;
    };
    std::vector<int32_t> positions;
    std::vector<Pending> stack;
    auto push = [&](int depth) {
      for (size_t i = keys_.size(); i-- > 0;)
        stack.push_back(Pending{depth, keys_[i].substr(0, kKeyKept), keys_[i].size(), positions[i]});
      keys_.clear();
      keys_.shrink_to_fit();
    };
    DbNode root;
    if (!ReadRecord(out_.rootIndex, root, positions)) return;
    if (root.kind != kKindIndex) {
      Fault("the root cell names a data record", out_.rootIndex);
      return;
    }
    out_.rootKeyCount = root.keyCount;
    push(0);
    while (!stack.empty() && out_.faults.size() < kMaxFaults) {
      Pending p = std::move(stack.back());
      stack.pop_back();
      DbNode node;
      node.depth = p.depth;
      node.key = std::move(p.key);
      node.keyLength = p.keyLength;
      node.position = p.position;
      bool read = p.position == -1 || ReadRecord(p.position, node, positions);
      const bool index = read && node.kind == kKindIndex;
      Visit(node);
      if (index) push(p.depth + 1);
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

  const DbReader& read_;
  const DbVisitor& visit_;
  const size_t keepData_;  // how much of a data record's bytes a node gets
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

DbInspection InspectDatabase(const std::string& bytes) {
  const DbReader read = [&bytes](int64_t offset, void* out, size_t count) {
    if (offset < 0 || static_cast<uint64_t>(offset) + count > bytes.size()) return false;
    std::copy_n(bytes.data() + offset, count, static_cast<char*>(out));
    return true;
  };
  return Inspector(static_cast<int64_t>(bytes.size()), read, DbVisitor(), SIZE_MAX).Run();
}

DbInspection InspectDatabase(int64_t length, const DbReader& read, const DbVisitor& visit,
                             size_t keepData) {
  return Inspector(length, read, visit, keepData).Run();
}
