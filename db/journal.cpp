#include "db/journal.h"

#include <zlib.h>

#include <algorithm>

#include "db/storage.h"

namespace {

constexpr char kJournalMagic[8] = {'c', 'v', 'j', 'r', 'n', 'l', '1', '\n'};
constexpr size_t kHeaderSize = 8 + 8 + 8 + 4;
constexpr size_t kTrailerSize = 8 + 8;

void Put(std::string& out, uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>(value >> (8 * i)));
}

// Reads little-endian fields and byte runs, refusing to run past the end.
class Reader {
 public:
  Reader(const std::string& bytes, size_t end) : bytes_(bytes), end_(end) {}
  bool Get(uint64_t& value, int bytes) {
    if (end_ - at_ < static_cast<size_t>(bytes)) return false;
    value = 0;
    for (int i = 0; i < bytes; ++i)
      value |= static_cast<uint64_t>(static_cast<uint8_t>(bytes_[at_ + i])) << (8 * i);
    at_ += bytes;
    return true;
  }
  bool Take(std::string& out, uint64_t n) {
    if (end_ - at_ < n) return false;
    out.assign(bytes_, at_, n);
    at_ += n;
    return true;
  }
  bool AtEnd() const { return at_ == end_; }

 private:
  const std::string& bytes_;
  size_t end_;
  size_t at_ = 0;
};

uint32_t Sum(const char* data, size_t n) {
  return static_cast<uint32_t>(adler32(1, reinterpret_cast<const Bytef*>(data), static_cast<uInt>(n)));
}

bool Decode(const std::string& bytes, Journal& journal) {
  if (bytes.size() < kHeaderSize + 4 + kTrailerSize || bytes.compare(0, 8, kJournalMagic, 8) != 0)
    return false;
  const size_t body = bytes.size() - kTrailerSize - 4;
  Reader check(bytes, bytes.size() - kTrailerSize);
  std::string skip;
  uint64_t sum = 0, oldLength = 0, newLength = 0, count = 0;
  if (!check.Take(skip, body) || !check.Get(sum, 4) || sum != Sum(bytes.data(), body)) return false;
  Reader in(bytes, body);
  in.Take(skip, 8);
  in.Get(oldLength, 8);
  in.Get(newLength, 8);
  in.Get(count, 4);
  journal = Journal();
  journal.oldLength = static_cast<int64_t>(oldLength);
  journal.newLength = static_cast<int64_t>(newLength);
  for (uint64_t i = 0; i < count; ++i) {
    JournalRange r;
    uint64_t offset = 0, before = 0, after = 0;
    if (!in.Get(offset, 8) || !in.Get(before, 4) || !in.Get(after, 4) || after > kCheckedBytes ||
        !in.Take(r.before, before) || !in.Take(r.after, after))
      return false;
    r.offset = static_cast<int64_t>(offset);
    journal.ranges.push_back(std::move(r));
  }
  return in.AtEnd() && journal.oldLength >= 0 && journal.oldLength <= journal.newLength;
}

}  // namespace

std::string EncodeJournal(const Journal& journal) {
  size_t total = kHeaderSize + 4 + kTrailerSize;
  for (const JournalRange& r : journal.ranges) total += 16 + r.before.size() + r.after.size();
  std::string out(kJournalMagic, sizeof kJournalMagic);
  out.reserve(total);
  Put(out, static_cast<uint64_t>(journal.oldLength), 8);
  Put(out, static_cast<uint64_t>(journal.newLength), 8);
  Put(out, journal.ranges.size(), 4);
  for (const JournalRange& r : journal.ranges) {
    Put(out, static_cast<uint64_t>(r.offset), 8);
    Put(out, r.before.size(), 4);
    Put(out, r.after.size(), 4);
    out += r.before;
    out += r.after;
  }
  Put(out, Sum(out.data(), out.size()), 4);
  Put(out, total, 8);
  out.append(kJournalMagic, sizeof kJournalMagic);
  return out;
}

bool FindJournal(DbStorage& file, int64_t length, Journal& journal, int64_t& size) {
  if (length < static_cast<int64_t>(kTrailerSize)) return false;
  std::string trailer(kTrailerSize, '\0');
  if (file.ReadAt(length - kTrailerSize, &trailer[0], kTrailerSize) != kTrailerSize ||
      trailer.compare(8, 8, kJournalMagic, 8) != 0)
    return false;
  uint64_t total = 0;
  Reader(trailer, 8).Get(total, 8);
  if (total > static_cast<uint64_t>(length)) return false;
  std::string bytes(static_cast<size_t>(total), '\0');
  if (file.ReadAt(length - static_cast<int64_t>(total), &bytes[0], bytes.size()) != bytes.size() ||
      !Decode(bytes, journal))
    return false;
  size = static_cast<int64_t>(total);
  return true;
}

bool JournalFits(const Journal& journal, DbStorage& file, int64_t length, int64_t size) {
  if (length - size != journal.newLength) return false;
  for (const JournalRange& r : journal.ranges) {
    std::string now(std::min(r.before.size(), r.after.size()), '\0');
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
