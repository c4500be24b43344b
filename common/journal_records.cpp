#include "common/journal_records.h"

// 2: paths in UTF-8, registry values as the wide functions give them.
const char kJournalHeader[] = "Corvaline install journal 2";

namespace {

const char kDigits[] = "0123456789ABCDEF";

bool NeedsEscape(char c) { return c == '%' || c == '\t' || c == '\r' || c == '\n'; }

std::string Escape(const std::string& field) {
  std::string out;
  for (char c : field) {
    if (!NeedsEscape(c)) {
      out += c;
      continue;
    }
    out += '%';
    out += kDigits[static_cast<unsigned char>(c) >> 4];
    out += kDigits[c & 0xF];
  }
  return out;
}

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool Unescape(const std::string& text, std::string* field) {
  field->clear();
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      *field += text[i];
      continue;
    }
    if (i + 2 >= text.size()) return false;
    const int hi = DigitValue(text[i + 1]), lo = DigitValue(text[i + 2]);
    if (hi < 0 || lo < 0) return false;
    *field += static_cast<char>(hi * 16 + lo);
    i += 2;
  }
  return true;
}

bool DecodeLine(const std::string& line, JournalRecord* record) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    const size_t tab = line.find('\t', start);
    parts.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
    if (tab == std::string::npos) break;
    start = tab + 1;
  }
  if (parts[0].empty()) return false;
  record->op = parts[0];
  record->fields.clear();
  for (size_t i = 1; i < parts.size(); ++i) {
    std::string field;
    if (!Unescape(parts[i], &field)) return false;
    record->fields.push_back(field);
  }
  return true;
}

}  // namespace

std::string EncodeJournalRecord(const JournalRecord& record) {
  std::string line = Escape(record.op);
  for (const std::string& field : record.fields) line += '\t' + Escape(field);
  return line + "\r\n";
}

bool DecodeJournal(const std::string& bytes, std::vector<JournalRecord>* records) {
  records->clear();
  const std::string header = std::string(kJournalHeader) + "\r\n";
  if (bytes.compare(0, header.size(), header) != 0) return false;
  size_t pos = header.size();
  for (;;) {
    const size_t end = bytes.find("\r\n", pos);
    if (end == std::string::npos) return true;  // nothing, or a torn last line
    JournalRecord record;
    if (!DecodeLine(bytes.substr(pos, end - pos), &record)) {
      records->clear();
      return false;
    }
    records->push_back(record);
    pos = end + 2;
  }
}

std::string ToHex(const std::string& bytes) {
  std::string hex;
  for (unsigned char c : bytes) {
    hex += kDigits[c >> 4];
    hex += kDigits[c & 0xF];
  }
  return hex;
}

bool FromHex(const std::string& hex, std::string* bytes) {
  bytes->clear();
  if (hex.size() % 2) return false;
  for (size_t i = 0; i < hex.size(); i += 2) {
    const int hi = DigitValue(hex[i]), lo = DigitValue(hex[i + 1]);
    if (hi < 0 || lo < 0) return false;
    *bytes += static_cast<char>(hi * 16 + lo);
  }
  return true;
}
