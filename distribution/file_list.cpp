#include "distribution/file_list.h"

#include <set>

#include "distribution/file_name.h"
#include "distribution/source_digest.h"

namespace {

const char kLineEnd[] = "\r\n";

// A decimal without sign or leading zeros that fits 64 bits.
bool ParseSize(const std::string& text, uint64_t& out) {
  if (text.empty() || text.size() > 20 || (text.size() > 1 && text[0] == '0')) return false;
  uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    const uint64_t digit = static_cast<uint64_t>(c - '0');
    if (value > (UINT64_MAX - digit) / 10) return false;
    value = value * 10 + digit;
  }
  out = value;
  return true;
}

// The fault of one line "<sha256> <size> <name>", or "" (the name is checked apart).
std::string ParseLine(const std::string& line, ListedFile& file) {
  const size_t space1 = line.find(' ');
  const size_t space2 = space1 == std::string::npos ? space1 : line.find(' ', space1 + 1);
  if (space2 == std::string::npos) return "not \"<sha256> <size> <name>\"";
  if (!ParseSha256Hex(line.substr(0, space1), file.sha256)) return "a bad SHA-256";
  if (!ParseSize(line.substr(space1 + 1, space2 - space1 - 1), file.size)) return "a bad size";
  file.name = line.substr(space2 + 1);
  return std::string();
}

// The fault of a name among those before it, or "".
std::string NameFault(const std::string& name, std::set<std::string>& seen) {
  const std::string fault = FileNameFault(name);
  if (!fault.empty()) return "the name \"" + name + "\" has " + fault;
  if (!seen.insert(FoldedFileName(name)).second) return "\"" + name + "\" is listed twice";
  return std::string();
}

}  // namespace

DistStatus ParseFileList(const std::string& text, FileList& out) {
  out.clear();
  if (text.size() > kMaxFileListBytes) return DistStatus::Damaged("the file list is too long");
  const std::string header = std::string(kFileListHeader) + kLineEnd;
  if (text.compare(0, header.size(), header) != 0)
    return DistStatus::Damaged("the file list does not start with \"" +
                               std::string(kFileListHeader) + "\"");
  FileList files;
  std::set<std::string> seen;
  int lineNumber = 1;
  for (size_t pos = header.size(); pos < text.size();) {
    ++lineNumber;
    const size_t end = text.find(kLineEnd, pos);
    const std::string line =
        text.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
    ListedFile file;
    std::string fault;
    // A lone CR or LF stays in the name, which refuses it.
    if (end == std::string::npos)
      fault = "a line that does not end in CR LF";
    else if ((fault = ParseLine(line, file)).empty())
      fault = NameFault(file.name, seen);
    if (!fault.empty())
      return DistStatus::Damaged("file list line " + std::to_string(lineNumber) + ": " + fault);
    files.push_back(std::move(file));
    pos = end + 2;
  }
  out = std::move(files);
  return DistStatus::Ok();
}

DistStatus FormatFileList(const FileList& files, std::string& out) {
  std::string text = std::string(kFileListHeader) + kLineEnd;
  std::set<std::string> seen;
  for (const ListedFile& file : files) {
    const std::string fault = NameFault(file.name, seen);
    if (!fault.empty()) return DistStatus::Damaged(fault);
    text += Sha256Hex(file.sha256) + ' ' + std::to_string(file.size) + ' ' + file.name + kLineEnd;
  }
  out = std::move(text);
  return DistStatus::Ok();
}

const ListedFile* FindListedFile(const FileList& files, const std::string& name) {
  const std::string folded = FoldedFileName(name);
  for (const ListedFile& file : files)
    if (FoldedFileName(file.name) == folded) return &file;
  return nullptr;
}

DistStatus CheckListedFile(const ListedFile& listed, ByteSource& file, ByteSink* copy) {
  if (file.Size() != listed.size)
    return DistStatus::Damaged(listed.name + " has " + std::to_string(file.Size()) +
                               " bytes, not " + std::to_string(listed.size));
  Sha256 hash;
  DistStatus status = ReadSourceRange(file, 0, file.Size(), &hash, copy);
  if (!status.ok()) return status;
  if (hash.Final() != listed.sha256)
    return DistStatus::Damaged(listed.name + " differs from its SHA-256");
  return DistStatus::Ok();
}
