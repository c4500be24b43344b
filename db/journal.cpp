#include "db/journal.h"

#include <algorithm>

#include "db/hash.h"
#include "db/storage.h"

namespace {

// The second version: the first kept only 64 new bytes per range.
constexpr char kJournalMagic[8] = {'c', 'v', 'j', 'r', 'n', 'l', '2', '\n'};
constexpr size_t kHeaderSize = 8 + 8 + 8 + 4;
constexpr size_t kRangeHead = 8 + 8 + 8 + 8;  // offset, length, old part, tail hash
constexpr size_t kTrailerSize = 8 + 8 + 8;     // hash, length, magic

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

bool Decode(const std::string& bytes, Journal& journal) {
  if (bytes.size() < kHeaderSize + kTrailerSize || bytes.compare(0, 8, kJournalMagic, 8) != 0)
    return false;
  const size_t body = bytes.size() - kTrailerSize;
  Reader seal(bytes, bytes.size());
  std::string skip;
  uint64_t hash = 0, oldLength = 0, newLength = 0, count = 0;
  if (!seal.Take(skip, body) || !seal.Get(hash, 8) || hash != Hash64(bytes.data(), body))
    return false;
  Reader in(bytes, body);
  in.Take(skip, 8);
  in.Get(oldLength, 8);
  in.Get(newLength, 8);
  in.Get(count, 4);
  journal = Journal();
  journal.oldLength = static_cast<int64_t>(oldLength);
  journal.newLength = static_cast<int64_t>(newLength);
  if (journal.oldLength < 0 || journal.oldLength > journal.newLength) return false;
  for (uint64_t i = 0; i < count; ++i) {
    JournalRange r;
    uint64_t offset = 0, length = 0, inside = 0;
    if (!in.Get(offset, 8) || !in.Get(length, 8) || !in.Get(inside, 8) || !in.Get(r.tailHash, 8) ||
        inside > length || offset > static_cast<uint64_t>(journal.newLength) ||
        length > static_cast<uint64_t>(journal.newLength) - offset || !in.Take(r.before, inside) ||
        !in.Take(r.after, inside))
      return false;
    r.offset = static_cast<int64_t>(offset);
    r.length = static_cast<int64_t>(length);
    journal.ranges.push_back(std::move(r));
  }
  return in.AtEnd();
}

// Reads count bytes at offset, in pieces: a range may be large.
bool ReadAll(DbStorage& file, int64_t offset, std::string& out, size_t count) {
  out.resize(count);
  return count == 0 || file.ReadAt(offset, &out[0], count) == count;
}

}  // namespace

JournalRange MakeRange(int64_t offset, const std::string& bytes, std::string before,
                       int64_t oldLength) {
  JournalRange r;
  r.offset = offset;
  r.length = static_cast<int64_t>(bytes.size());
  const size_t inside = static_cast<size_t>(
      std::clamp<int64_t>(oldLength - offset, 0, static_cast<int64_t>(bytes.size())));
  before.resize(inside);
  r.before = std::move(before);
  r.after = bytes.substr(0, inside);
  r.tailHash = Hash64(bytes.data() + inside, bytes.size() - inside);
  return r;
}

std::string EncodeJournal(const Journal& journal) {
  size_t total = kHeaderSize + kTrailerSize;
  for (const JournalRange& r : journal.ranges) total += kRangeHead + 2 * r.before.size();
  std::string out(kJournalMagic, sizeof kJournalMagic);
  out.reserve(total);
  Put(out, static_cast<uint64_t>(journal.oldLength), 8);
  Put(out, static_cast<uint64_t>(journal.newLength), 8);
  Put(out, journal.ranges.size(), 4);
  for (const JournalRange& r : journal.ranges) {
    Put(out, static_cast<uint64_t>(r.offset), 8);
    Put(out, static_cast<uint64_t>(r.length), 8);
    Put(out, r.before.size(), 8);
    Put(out, r.tailHash, 8);
    out += r.before;
    out += r.after;
  }
  Put(out, Hash64(out.data(), out.size()), 8);
  Put(out, total, 8);
  out.append(kJournalMagic, sizeof kJournalMagic);
  return out;
}

bool FindJournal(DbStorage& file, int64_t length, Journal& journal, int64_t& size) {
  if (length < static_cast<int64_t>(kTrailerSize)) return false;
  std::string trailer;
  if (!ReadAll(file, length - 16, trailer, 16) || trailer.compare(8, 8, kJournalMagic, 8) != 0)
    return false;
  uint64_t total = 0;
  Reader(trailer, 8).Get(total, 8);
  if (total > static_cast<uint64_t>(length)) return false;
  std::string bytes;
  if (!ReadAll(file, length - static_cast<int64_t>(total), bytes, static_cast<size_t>(total)) ||
      !Decode(bytes, journal))
    return false;
  size = static_cast<int64_t>(total);
  return true;
}

JournalVerdict Judge(const Journal& journal, DbStorage& file, int64_t length, int64_t size) {
  // The journal went in at the operation's new length; a file that grew or
  // shrank under it since was written by someone else.
  if (length - size != journal.newLength) return JournalVerdict::Overtaken;
  bool finished = true;
  std::string now;
  for (const JournalRange& r : journal.ranges) {
    const size_t inside = r.before.size();
    if (!ReadAll(file, r.offset, now, inside)) return JournalVerdict::Overtaken;
    for (size_t i = 0; i < inside; ++i) {
      if (now[i] == r.after[i]) continue;
      if (now[i] != r.before[i]) return JournalVerdict::Overtaken;
      finished = false;
    }
    // Behind the old end the roll-back cuts whatever is there; only a
    // finished operation needs it whole.
    if (finished && (!ReadAll(file, r.offset + static_cast<int64_t>(inside), now,
                              static_cast<size_t>(r.length) - inside) ||
                     Hash64(now.data(), now.size()) != r.tailHash))
      finished = false;
  }
  return finished ? JournalVerdict::Finished : JournalVerdict::Interrupted;
}

bool RollBack(const Journal& journal, DbStorage& file, bool sync) {
  bool ok = true;
  for (const JournalRange& r : journal.ranges)
    if (!r.before.empty())
      ok = ok && file.WriteAt(r.offset, r.before.data(), r.before.size()) == r.before.size();
  return ok && (!sync || file.Sync()) && file.Truncate(journal.oldLength) &&
         (!sync || file.Sync());
}
