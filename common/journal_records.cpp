#include "common/journal_records.h"

#include <array>

// 3: each record carries its checksum; the first names the journal's bounds.
const char kJournalHeader[] = "Corvaline install journal 3";

namespace {

const char kDigits[] = "0123456789ABCDEF";
constexpr size_t kCrcDigits = 8;

// CRC-32C (Castagnoli), as LevelDB's log records carry it.
uint32_t Crc32c(const std::string& text) {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int bit = 0; bit < 8; ++bit) c = (c >> 1) ^ (c & 1 ? 0x82F63B78u : 0);
      t[i] = c;
    }
    return t;
  }();
  uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char c : text) crc = table[(crc ^ c) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

std::string CrcText(uint32_t crc) {
  std::string text(kCrcDigits, '0');
  for (size_t i = 0; i < kCrcDigits; ++i)
    text[kCrcDigits - 1 - i] = kDigits[(crc >> (4 * i)) & 0xF];
  return text;
}

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

// "crc<TAB>op<TAB>fields": false when the checksum fails or a part cannot be read.
bool DecodeLine(const std::string& line, JournalRecord* record) {
  if (line.size() <= kCrcDigits || line[kCrcDigits] != '\t') return false;
  const std::string text = line.substr(kCrcDigits + 1);
  if (line.compare(0, kCrcDigits, CrcText(Crc32c(text))) != 0) return false;
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    const size_t tab = text.find('\t', start);
    parts.push_back(text.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
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
  std::string text = Escape(record.op);
  for (const std::string& field : record.fields) text += '\t' + Escape(field);
  return CrcText(Crc32c(text)) + '\t' + text + "\r\n";
}

DecodedJournal DecodeJournal(const std::string& bytes) {
  DecodedJournal journal;
  const std::string header = std::string(kJournalHeader) + "\r\n";
  if (bytes.compare(0, header.size(), header) != 0) return journal;
  journal.verdict = DecodedJournal::Verdict::Read;
  size_t pos = header.size();
  for (;;) {
    journal.length = pos;
    const size_t end = bytes.find("\r\n", pos);
    if (end == std::string::npos) return journal;  // nothing more, or a torn last record
    JournalRecord record;
    if (!DecodeLine(bytes.substr(pos, end - pos), &record)) {
      journal.verdict = DecodedJournal::Verdict::Damaged;
      journal.damaged = journal.records.size();
      journal.records.clear();
      return journal;
    }
    journal.records.push_back(record);
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
