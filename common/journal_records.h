// The install journal's text: a first line that names the format, then one
// record a line, "crc<TAB>op<TAB>field<TAB>field\r\n", where crc is the
// CRC-32C of the text after it (eight hexadecimal digits). A field's "%",
// tab, CR and LF are written as %25, %09, %0D and %0A, so any path fits.
// The rules the records serve: docs/install-recovery.md.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct JournalRecord {
  std::string op;
  std::vector<std::string> fields;
  bool operator==(const JournalRecord& other) const {
    return op == other.op && fields == other.fields;
  }
};

extern const char kJournalHeader[];

// The operations, and what their fields hold.
namespace journal_op {
constexpr char kBounds[] = "bounds";      // destination, group folder, client key, Apps entry key
constexpr char kFolder[] = "dir";         // a folder about to be made
constexpr char kFile[] = "file";          // a file about to be made where there is none now
constexpr char kNotOurs[] = "keep";       // the file that record announced was another program's
constexpr char kAside[] = "aside";        // path, copy, size, SHA-256: path moved to copy
constexpr char kScratch[] = "scratch";    // a file of ours, removed whatever happens
constexpr char kBackup[] = "backup";      // path, copy, size, SHA-256: path's bytes before a change
constexpr char kKey[] = "key";            // a key about to be made
constexpr char kValue[] = "value";        // key, name, present (0/1), type, data in hexadecimal
constexpr char kCommit[] = "commit";      // the install is complete
constexpr char kUndone[] = "undone";      // the record of this number was taken back
constexpr char kFinished[] = "finished";  // nothing is left to do but remove the journal
}  // namespace journal_op

std::string EncodeJournalRecord(const JournalRecord& record);

struct DecodedJournal {
  enum class Verdict {
    Read,
    NotAJournal,  // empty, or a first line of another format
    Damaged,      // a whole record fails its checksum or cannot be read
  };
  Verdict verdict = Verdict::NotAJournal;
  std::vector<JournalRecord> records;  // Read: in the order they were written
  size_t damaged = 0;                  // Damaged: that record's number, from 0
  // The bytes up to the end of the last whole record: a torn last record (one
  // without its CR LF, cut short while it was written) is left out, as its
  // change was never made.
  size_t length = 0;
};
DecodedJournal DecodeJournal(const std::string& bytes);

// Bytes as hexadecimal text and back (registry data); false on a bad digit.
std::string ToHex(const std::string& bytes);
bool FromHex(const std::string& hex, std::string* bytes);
