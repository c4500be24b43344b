#include "db/journal.h"

#include <algorithm>

#include "db/hash.h"
#include "db/storage.h"

namespace {

// The third version: the first kept only 64 new bytes per range, the second
// no phases.
constexpr char kJournalMagic[8] = {'c', 'v', 'j', 'r', 'n', 'l', '3', '\n'};
constexpr size_t kHeaderSize = 8 + 8 + 8 + 4;
constexpr size_t kRangeHead = 8 + 8 + 8 + 8 + 4;  // offset, length, old part, tail hash, phase
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
    uint64_t offset = 0, length = 0, inside = 0, phase = 0;
    if (!in.Get(offset, 8) || !in.Get(length, 8) || !in.Get(inside, 8) || !in.Get(r.tailHash, 8) ||
        !in.Get(phase, 4) || phase > static_cast<uint64_t>(CommitPhase::Releases) ||
        inside > length || offset > static_cast<uint64_t>(journal.newLength) ||
        length > static_cast<uint64_t>(journal.newLength) - offset || !in.Take(r.before, inside) ||
        !in.Take(r.after, inside))
      return false;
    r.offset = static_cast<int64_t>(offset);
    r.length = static_cast<int64_t>(length);
    r.phase = static_cast<CommitPhase>(phase);
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
                       int64_t oldLength, CommitPhase phase) {
  JournalRange r;
  r.offset = offset;
  r.length = static_cast<int64_t>(bytes.size());
  r.phase = phase;
  // The last phase writes over the first one's bytes, which may lie behind
  // the old end: judging it needs them whole. It is a free-list area, small.
  const size_t inside =
      phase == CommitPhase::Releases
          ? bytes.size()
          : static_cast<size_t>(
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
    Put(out, static_cast<uint64_t>(r.phase), 4);
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


namespace {

// What a range of the file holds now, against the bytes the journal keeps.
struct Seen {
  bool eachOldOrNew = true;  // every kept byte is one or the other
  bool allOld = true;        // the write has not happened (behind the old end: not known)
  bool allNew = true;        // the write happened whole, tail included
  std::string now;           // the kept part
};

bool Look(DbStorage& file, const JournalRange& r, Seen& seen) {
  const size_t inside = r.before.size();
  if (!ReadAll(file, r.offset, seen.now, inside)) return false;
  for (size_t i = 0; i < inside; ++i) {
    const bool isNew = seen.now[i] == r.after[i], isOld = seen.now[i] == r.before[i];
    seen.allNew = seen.allNew && isNew;
    seen.allOld = seen.allOld && isOld;
    seen.eachOldOrNew = seen.eachOldOrNew && (isNew || isOld);
  }
  // Behind the old end the roll-back cuts whatever is there; only a write
  // that happened needs it whole.
  std::string tail;
  if (seen.allNew && static_cast<size_t>(r.length) > inside)
    seen.allNew = ReadAll(file, r.offset + static_cast<int64_t>(inside), tail,
                          static_cast<size_t>(r.length) - inside) &&
                  Hash64(tail.data(), tail.size()) == r.tailHash;
  return true;
}

bool Inside(const JournalRange& r, int64_t from, int64_t to) {
  return r.offset <= from && to <= r.offset + r.length;
}

// Whether the bytes of the last phase's range r that no first-phase write
// reaches are still those it found: the last phase has not begun there.
bool UntouchedBesideBlocks(const Journal& journal, const JournalRange& r, const Seen& seen) {
  for (size_t i = 0; i < seen.now.size(); ++i) {
    if (seen.now[i] == r.before[i]) continue;
    const int64_t at = r.offset + static_cast<int64_t>(i);
    bool reached = false;
    for (const JournalRange& b : journal.ranges)
      reached = reached || (b.phase == CommitPhase::Blocks && Inside(b, at, at + 1));
    if (!reached) return false;
  }
  return true;
}

}  // namespace

JournalVerdict Judge(const Journal& journal, DbStorage& file, int64_t length, int64_t size) {
  // The journal went in at the operation's new length; a file that grew or
  // shrank under it since was written by someone else.
  if (length - size != journal.newLength) return JournalVerdict::Overtaken;
  std::vector<Seen> seen(journal.ranges.size());
  bool switchOld = true, switchNew = true;
  bool releasesBegun = false, releasesEach = true, releasesNew = true;
  bool blocksEach = true, blocksNew = true, blocksNewBeside = true;
  for (size_t i = 0; i < journal.ranges.size(); ++i) {
    const JournalRange& r = journal.ranges[i];
    Seen& s = seen[i];
    if (!Look(file, r, s)) return JournalVerdict::Overtaken;
    switch (r.phase) {
      case CommitPhase::Switch: {
        // Written whole: a header or root cell that is neither the old one
        // nor the new one, even if each byte is, is another writer's.
        const bool old = s.allOld && r.before.size() == static_cast<size_t>(r.length);
        if (!old && !s.allNew) return JournalVerdict::Overtaken;
        switchOld = switchOld && old;
        switchNew = switchNew && s.allNew;
        break;
      }
      case CommitPhase::Releases:
        releasesBegun = releasesBegun || !s.allOld;
        releasesEach = releasesEach && s.eachOldOrNew;
        releasesNew = releasesNew && s.allNew;
        break;
      case CommitPhase::Blocks: {
        blocksEach = blocksEach && s.eachOldOrNew;
        blocksNew = blocksNew && s.allNew;
        // The last phase writes over the first one's free list: there its
        // own old bytes stand for the first phase's new ones.
        bool under = false;
        for (const JournalRange& o : journal.ranges)
          under = under || (o.phase == CommitPhase::Releases &&
                            Inside(o, r.offset, r.offset + r.length));
        blocksNewBeside = blocksNewBeside && (under || s.allNew);
        break;
      }
    }
  }
  // The last phase begun: the switch and the blocks are on the disk.
  if (releasesBegun && releasesEach && switchNew && blocksNewBeside)
    return releasesNew ? JournalVerdict::Finished : JournalVerdict::Interrupted;
  // The blocks on the disk, the switch made or not, the last phase not begun.
  if (!releasesBegun && blocksNew)
    return switchNew && releasesNew ? JournalVerdict::Finished : JournalVerdict::Interrupted;
  // Stopped among the blocks: the switch not made, nothing of the last phase
  // beside what the blocks themselves wrote.
  if (!switchOld || !blocksEach) return JournalVerdict::Overtaken;
  for (size_t i = 0; i < journal.ranges.size(); ++i)
    if (journal.ranges[i].phase == CommitPhase::Releases &&
        !UntouchedBesideBlocks(journal, journal.ranges[i], seen[i]))
      return JournalVerdict::Overtaken;
  return JournalVerdict::Interrupted;
}

bool RollBack(const Journal& journal, DbStorage& file, bool sync) {
  // Every state on the way back is one the commit could have left, so a
  // roll-back that stops is judged and finished by the next opener.
  for (CommitPhase phase : {CommitPhase::Releases, CommitPhase::Switch, CommitPhase::Blocks}) {
    bool wrote = false;
    for (auto r = journal.ranges.rbegin(); r != journal.ranges.rend(); ++r) {
      if (r->phase != phase || r->before.empty()) continue;
      if (file.WriteAt(r->offset, r->before.data(), r->before.size()) != r->before.size())
        return false;
      wrote = true;
    }
    if (wrote && sync && !file.Sync()) return false;
  }
  return file.Truncate(journal.oldLength) && (!sync || file.Sync());
}
