#include "common/install_record.h"

#include <cstring>
#include <set>

#include "distribution/file_name.h"
#include "sys/utf8_case.h"

namespace {

const char kEnd[] = "end";
// Longer than any path Windows takes (32,767 UTF-16 units, in UTF-8).
constexpr size_t kMaxPathBytes = 3 * 32767;
constexpr size_t kMaxShortField = 256;

// Well-formed UTF-8 with no control character: tabs and line ends separate
// the fields, and nothing else may hide between them.
bool IsPlainText(const std::string& text) {
  for (size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x20 || c == 0x7F) return false;
    const size_t follow = c < 0x80             ? 0
                          : (c & 0xE0) == 0xC0 ? 1
                          : (c & 0xF0) == 0xE0 ? 2
                          : (c & 0xF8) == 0xF0 ? 3
                                               : 9;
    if (follow == 9 || (c & 0xFE) == 0xC0 || i + follow >= text.size()) return false;
    for (size_t k = 1; k <= follow; ++k)
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    i += follow + 1;
  }
  return true;
}

bool IsSid(const std::string& text) {
  if (text.size() > kMaxShortField || text.compare(0, 4, "S-1-") != 0 || text.back() == '-')
    return false;
  for (size_t i = 4; i < text.size(); ++i) {
    const char c = text[i];
    if (!(c >= '0' && c <= '9') && !(c == '-' && text[i - 1] != '-')) return false;
  }
  return true;
}

// "X:\..." or "\\server\share...", no character a path cannot hold.
bool IsFullPath(const std::string& path) {
  if (path.size() > kMaxPathBytes || !IsPlainText(path)) return false;
  const bool drive = path.size() >= 3 && ((path[0] | 0x20) >= 'a' && (path[0] | 0x20) <= 'z') &&
                     path[1] == ':' && path[2] == '\\';
  const bool share = path.size() >= 3 && path[0] == '\\' && path[1] == '\\' && path[2] != '\\' &&
                     path[2] != '?' && path[2] != '.';
  if (!drive && !share) return false;
  for (size_t i = 0; i < path.size(); ++i)
    if (std::strchr("*?\"<>|/", path[i]) || (path[i] == ':' && i != 1)) return false;
  return path.back() != '\\';
}

bool IsFileName(const std::string& name) {
  return IsPlainText(name) && FileNameFault(name).empty();
}

bool ParseSize(const std::string& text, uint64_t* size) {
  if (text.empty() || text.size() > 20 || (text[0] == '0' && text.size() > 1)) return false;
  uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    const uint64_t digit = static_cast<uint64_t>(c - '0');
    if (value > (UINT64_MAX - digit) / 10) return false;
    value = value * 10 + digit;
  }
  *size = value;
  return true;
}

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (;;) {
    const size_t tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab - start));
    if (tab == std::string::npos) return fields;
    start = tab + 1;
  }
}

std::string Line(std::initializer_list<std::string> fields) {
  std::string line;
  for (const std::string& field : fields) line += (line.empty() ? "" : "\t") + field;
  return line + "\r\n";
}

// The fields of each line in its place; the order of the kinds is fixed.
class Reader {
 public:
  explicit Reader(InstallRecord* record) : r_(record) {}

  // Empty when the line is sound, else what is wrong with it.
  std::string Take(const std::vector<std::string>& f) {
    const std::string& kind = f[0];
    const bool one = f.size() == 2;
    if (step_ == 0) return Single(kind == "user" && one && IsSid(f[1]), "user", &r_->user, f);
    if (step_ == 1)
      return Single(kind == "version" && one && f[1].size() <= kMaxShortField && IsPlainText(f[1]),
                    "version", &r_->version, f);
    if (step_ == 2)
      return Single(kind == "folder" && one && IsFullPath(f[1]), "folder", &r_->folder, f);
    if (step_ == 3 && kind == "group")
      return Single(one && IsFullPath(f[1]), "group", &r_->group, f);
    if (step_ <= 4 && kind == "file") {
      step_ = 4;
      return File(f);
    }
    if (kind == "link" && !r_->group.empty()) {
      step_ = 5;
      return Link(f);
    }
    return "an unexpected line";
  }

 private:
  std::string Single(bool sound, const char* what, std::string* field,
                     const std::vector<std::string>& f) {
    if (!sound) return std::string("a missing or bad ") + what;
    *field = f[1];
    ++step_;
    return std::string();
  }

  std::string File(const std::vector<std::string>& f) {
    RecordedFile file;
    // Hexadecimal in lower case only, as written: one record, one spelling.
    if (f.size() != 4 || !ParseSha256Hex(f[1], file.sha256) || f[1] != Sha256Hex(file.sha256) ||
        !ParseSize(f[2], &file.size) || !IsFileName(f[3]))
      return "a bad file line";
    if (!names_.insert(Utf8LowerCase(f[3])).second) return "a file named twice";
    file.name = f[3];
    r_->files.push_back(file);
    return std::string();
  }

  std::string Link(const std::vector<std::string>& f) {
    if (f.size() != 3 || !IsFileName(f[1]) || !IsFullPath(f[2])) return "a bad link line";
    if (!links_.insert(Utf8LowerCase(f[1])).second) return "a link named twice";
    r_->links.push_back({f[1], f[2]});
    return std::string();
  }

  InstallRecord* r_;
  int step_ = 0;  // 0 user, 1 version, 2 folder, 3 group, 4 files, 5 links
  std::set<std::string> names_, links_;
};

}  // namespace

bool FormatInstallRecord(const InstallRecord& record, std::string* bytes) {
  std::string text = std::string(kInstallRecordHeader) + "\r\n" + Line({"user", record.user}) +
                     Line({"version", record.version}) + Line({"folder", record.folder});
  if (!record.group.empty()) text += Line({"group", record.group});
  for (const RecordedFile& file : record.files)
    text += Line({"file", Sha256Hex(file.sha256), std::to_string(file.size), file.name});
  for (const RecordedLink& link : record.links) text += Line({"link", link.name, link.target});
  text += Line({kEnd, Sha256Hex(Sha256Of(text.data(), text.size()))});
  InstallRecord check;
  std::string reason;
  bytes->clear();
  if (!ParseInstallRecord(text, &check, &reason)) return false;
  *bytes = text;
  return true;
}

bool ParseInstallRecord(const std::string& bytes, InstallRecord* record, std::string* reason) {
  *record = InstallRecord();
  auto refuse = [&](size_t line, const std::string& fault) {
    *record = InstallRecord();
    *reason = "line " + std::to_string(line) + ": " + fault;
    return false;
  };
  if (bytes.size() > kMaxInstallRecordBytes) return refuse(1, "the record is too long");
  const std::string header = std::string(kInstallRecordHeader) + "\r\n";
  if (bytes.compare(0, header.size(), header) != 0) return refuse(1, "not an install record");
  Reader reader(record);
  size_t start = header.size();
  for (size_t number = 2;; ++number) {
    const size_t end = bytes.find("\r\n", start);
    if (end == std::string::npos) return refuse(number, "the record is cut short");
    const std::vector<std::string> f = Fields(bytes.substr(start, end - start));
    if (f[0] == kEnd) {
      // Written in lower case, read so: every changed byte of the record shows.
      if (f.size() != 2 || f[1] != Sha256Hex(Sha256Of(bytes.data(), start)))
        return refuse(number, "the record's checksum does not match");
      if (end + 2 != bytes.size()) return refuse(number + 1, "bytes after the end");
      if (record->folder.empty()) return refuse(number, "the record is cut short");
      return true;
    }
    const std::string fault = reader.Take(f);
    if (!fault.empty()) return refuse(number, fault);
    start = end + 2;
  }
}

const RecordedFile* FindRecordedFile(const InstallRecord& record, const std::string& name) {
  for (const RecordedFile& file : record.files)
    if (Utf8SameText(file.name, name)) return &file;
  return nullptr;
}

const RecordedLink* FindRecordedLink(const InstallRecord& record, const std::string& name) {
  for (const RecordedLink& link : record.links)
    if (Utf8SameText(link.name, name)) return &link;
  return nullptr;
}
