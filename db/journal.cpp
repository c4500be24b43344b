#include "db/journal.h"

#include <zlib.h>

#include <algorithm>

#include "db/format.h"
#include "db/storage.h"

namespace {

constexpr char kJournalMagic[8] = {'c', 'v', 'j', 'r', 'n', 'l', '1', '\n'};
constexpr size_t kHeaderSize = 8 + 8 + 8 + 4 + 4;

void Put(std::string& out, uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>(value >> (8 * i)));
}

class Reader {
 public:
  explicit Reader(const std::string& bytes) : bytes_(bytes) {}
  bool Get(uint64_t& value, int bytes) {
    if (bytes_.size() - at_ < static_cast<size_t>(bytes)) return false;
    value = 0;
    for (int i = 0; i < bytes; ++i)
      value |= static_cast<uint64_t>(static_cast<uint8_t>(bytes_[at_ + i])) << (8 * i);
    at_ += bytes;
    return true;
  }
  bool Take(std::string& out, uint64_t n) {
    if (bytes_.size() - at_ < n) return false;
    out.assign(bytes_, at_, n);
    at_ += n;
    return true;
  }
  size_t At() const { return at_; }

 private:
  const std::string& bytes_;
  size_t at_ = 0;
};

uint32_t Crc(const char* data, size_t n) {
  return static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(data), static_cast<uInt>(n)));
}

}  // namespace

std::string JournalName(const std::string& fileName) { return fileName + dbformat::kJournalSuffix; }

std::string EncodeJournal(const Journal& journal) {
  size_t total = kHeaderSize + 4;
  for (const JournalRange& r : journal.ranges) total += 16 + r.before.size() + r.after.size();
  std::string out(kJournalMagic, sizeof kJournalMagic);
  out.reserve(total);
  Put(out, static_cast<uint64_t>(journal.oldLength), 8);
  Put(out, static_cast<uint64_t>(journal.newLength), 8);
  Put(out, journal.ranges.size(), 4);
  Put(out, total, 4);
  for (const JournalRange& r : journal.ranges) {
    Put(out, static_cast<uint64_t>(r.offset), 8);
    Put(out, r.before.size(), 4);
    Put(out, r.after.size(), 4);
    out += r.before;
    out += r.after;
  }
  Put(out, Crc(out.data(), out.size()), 4);
  return out;
}

bool DecodeJournal(const std::string& bytes, Journal& journal) {
  if (bytes.size() < kHeaderSize + 4 || bytes.compare(0, 8, kJournalMagic, 8) != 0) return false;
  Reader in(bytes);
  uint64_t magic, oldLength, newLength, count, total, crc;
  in.Get(magic, 8);
  in.Get(oldLength, 8);
  in.Get(newLength, 8);
  in.Get(count, 4);
  in.Get(total, 4);
  // A longer file is an older, longer journal's tail: the header says where
  // this one ends.
  if (total < kHeaderSize + 4 || total > bytes.size()) return false;
  Reader sum(bytes);
  std::string body;
  sum.Take(body, total - 4);
  sum.Get(crc, 4);
  if (crc != Crc(body.data(), body.size())) return false;
  journal = Journal();
  journal.oldLength = static_cast<int64_t>(oldLength);
  journal.newLength = static_cast<int64_t>(newLength);
  Reader ranges(body);
  std::string skip;
  ranges.Take(skip, kHeaderSize);
  for (uint64_t i = 0; i < count; ++i) {
    JournalRange r;
    uint64_t offset, before, after;
    if (!ranges.Get(offset, 8) || !ranges.Get(before, 4) || !ranges.Get(after, 4) ||
        before > after || !ranges.Take(r.before, before) || !ranges.Take(r.after, after))
      return false;
    r.offset = static_cast<int64_t>(offset);
    journal.ranges.push_back(std::move(r));
  }
  return ranges.At() == body.size() && journal.oldLength >= 0 &&
         journal.oldLength <= journal.newLength;
}

bool JournalFits(const Journal& journal, DbStorage& file) {
  const int64_t length = file.Size();
  if (length < journal.oldLength || length > journal.newLength) return false;
  for (const JournalRange& r : journal.ranges) {
    std::string now(r.before.size(), '\0');
    if (file.ReadAt(r.offset, &now[0], now.size()) != now.size()) return false;
    for (size_t i = 0; i < now.size(); ++i)
      if (now[i] != r.before[i] && now[i] != r.after[i]) return false;
  }
  return true;
}

bool RollBack(const Journal& journal, DbStorage& file) {
  bool ok = true;
  for (const JournalRange& r : journal.ranges)
    if (!r.before.empty())
      ok &= file.WriteAt(r.offset, r.before.data(), r.before.size()) == r.before.size();
  return ok && file.Truncate(journal.oldLength);
}
