#include "common/journal_rules.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

#include "distribution/file_name.h"
#include "sys/path.h"
#include "sys/utf8_case.h"

namespace {

namespace op = journal_op;

constexpr size_t kSha256Digits = 64;

bool IsNumber(const std::string& text) {
  if (text.empty() || text.size() > 20) return false;
  for (char c : text)
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  return true;
}

bool IsSha256(const std::string& text) {
  if (text.size() != kSha256Digits) return false;
  for (char c : text)
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
  return true;
}

// A name the file system holds as it is written: no separator, drive or
// stream, wildcard or control character, not "." or "..", no trailing dot or
// blank, no device. Its length is the file system's to judge.
bool PlainName(const std::string& name) {
  if (name.empty() || name == "." || name == ".." || name.back() == '.' || name.back() == ' ')
    return false;
  for (unsigned char c : name)
    if (c < 0x20 || std::strchr("\\/:*?\"<>|", c)) return false;
  return !IsDeviceName(name);
}

std::string Folded(const std::string& path) { return Utf8LowerCase(AddBackslash(path)); }

// A file directly in the destination or the group folder, under a plain name.
bool InBounds(const std::string& path, const JournalBounds& b) {
  const std::string folder = Folded(ExtractFilePath(path));
  const std::string name = ExtractFileName(path);
  if (!PlainName(name)) return false;
  return folder == Folded(b.destination) ||
         (!b.groupFolder.empty() && folder == Folded(b.groupFolder));
}

// The destination, the group folder or a folder above one of them.
bool FolderInBounds(const std::string& folder, const JournalBounds& b) {
  if (!IsPlainFullPath(folder)) return false;
  const std::string f = Folded(folder);
  for (const std::string* bound : {&b.destination, &b.groupFolder})
    if (!bound->empty() && Folded(*bound).compare(0, f.size(), f) == 0) return true;
  return false;
}

bool KeyInBounds(const std::string& key, const JournalBounds& b) {
  return Utf8SameText(key, b.clientKey) || Utf8SameText(key, b.appsKey);
}

// The file a copy name is the copy of, or "" when it is none.
std::string Original(const std::string& copy) {
  const size_t mark = copy.rfind(".~cv");
  if (mark == std::string::npos) return std::string();
  const std::string original = copy.substr(0, mark);
  return IsCopyOf(copy, original) ? original : std::string();
}

size_t FieldCount(const std::string& name) {
  if (name == op::kBounds || name == op::kAside || name == op::kBackup) return 4;
  if (name == op::kValue) return 5;
  if (name == op::kCommit || name == op::kFinished) return 0;
  return 1;
}

bool KnownOp(const std::string& name) {
  for (const char* known :
       {op::kBounds, op::kFolder, op::kFile, op::kNotOurs, op::kAside, op::kScratch, op::kBackup,
        op::kKey, op::kValue, op::kCommit, op::kUndone, op::kFinished})
    if (name == known) return true;
  return false;
}

std::string Outside(const std::string& what) {
  return "names " + what + " outside the installation";
}

}  // namespace

JournalRecord BoundsRecord(const JournalBounds& b) {
  return {op::kBounds, {b.destination, b.groupFolder, b.clientKey, b.appsKey}};
}

std::string RecordFault(const JournalRecord& r, const JournalBounds& b) {
  if (!KnownOp(r.op) || r.op == op::kBounds || r.fields.size() != FieldCount(r.op))
    return "holds a record of no known form (" + r.op + ")";
  const std::string first = r.fields.empty() ? std::string() : r.fields[0];
  if (r.op == op::kFolder) return FolderInBounds(first, b) ? "" : Outside(first);
  if (r.op == op::kFile || r.op == op::kNotOurs) return InBounds(first, b) ? "" : Outside(first);
  if (r.op == op::kScratch) return InBounds(Original(first), b) ? "" : Outside(first);
  if (r.op == op::kAside || r.op == op::kBackup) {
    if (!InBounds(first, b)) return Outside(first);
    if (!IsCopyOf(r.fields[1], first)) return Outside(r.fields[1]);
    return IsNumber(r.fields[2]) && IsSha256(r.fields[3])
               ? ""
               : "holds a copy without its size and hash";
  }
  if (r.op == op::kKey || r.op == op::kValue) {
    if (!KeyInBounds(first, b)) return Outside("HKEY_CURRENT_USER\\" + first);
    std::string data;
    if (r.op == op::kValue && ((r.fields[2] != "0" && r.fields[2] != "1") ||
                               !IsNumber(r.fields[3]) || !FromHex(r.fields[4], &data)))
      return "holds a registry value it cannot read";
    return "";
  }
  if (r.op == op::kUndone && !IsNumber(first)) return "holds a mark it cannot read";
  return "";
}

std::string JournalFault(const std::vector<JournalRecord>& records, JournalBounds* b) {
  if (records.empty() || records[0].op != op::kBounds || records[0].fields.size() != 4)
    return "does not name its bounds";
  *b = {records[0].fields[0], records[0].fields[1], records[0].fields[2], records[0].fields[3]};
  if (!IsPlainFullPath(b->destination) ||
      (!b->groupFolder.empty() && !IsPlainFullPath(b->groupFolder)))
    return "names bounds that are not full paths";
  for (size_t i = 1; i < records.size(); ++i) {
    const std::string fault = RecordFault(records[i], *b);
    if (!fault.empty()) return fault;
    if (records[i].op != op::kUndone) continue;
    const unsigned long marked = std::strtoul(records[i].fields[0].c_str(), nullptr, 10);
    if (marked == 0 || marked >= i) return "holds a mark for no record before it";
  }
  return "";
}

std::string CopyName(const std::string& path, int number) {
  return path + ".~cv" + std::to_string(number);
}

bool IsCopyOf(const std::string& copy, const std::string& path) {
  const std::string mark = path + ".~cv";
  if (path.empty() || copy.size() <= mark.size() || copy.compare(0, mark.size(), mark) != 0)
    return false;
  const std::string number = copy.substr(mark.size());
  if (number.size() > 3 || number[0] == '0' || !IsNumber(number)) return false;
  return std::atoi(number.c_str()) <= kMaxCopyNumber;
}

bool IsCopyName(const std::string& name) {
  const std::string folded = Utf8LowerCase(name);
  const size_t mark = folded.rfind(".~cv");
  return mark != std::string::npos && IsNumber(folded.substr(mark + 4));
}

bool IsPlainFullPath(const std::string& path) {
  size_t start = 0;
  if (path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]))) {
    start = 2;
  } else if (path.compare(0, 2, "\\\\") == 0) {
    const size_t server = path.find('\\', 2);
    if (server == 2 || server == std::string::npos) return false;
    const size_t share = path.find('\\', server + 1);
    const std::string names[] = {
        path.substr(2, server - 2),
        path.substr(server + 1, share == std::string::npos ? share : share - server - 1)};
    for (const std::string& name : names)
      if (!PlainName(name)) return false;
    start = share == std::string::npos ? path.size() : share;
  } else {
    return false;
  }
  if (start == path.size()) return true;
  if (path[start] != '\\') return false;
  const std::string rest = StripBackslash(path.substr(start + 1));
  if (rest.empty()) return true;
  for (size_t from = 0; from <= rest.size();) {
    const size_t end = rest.find('\\', from);
    const std::string name =
        rest.substr(from, end == std::string::npos ? std::string::npos : end - from);
    if (!PlainName(name)) return false;
    if (end == std::string::npos) break;
    from = end + 1;
  }
  return true;
}
