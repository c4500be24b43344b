// The install journal's text: one record a line, "op<TAB>field<TAB>field\r\n",
// after a first line that names the format. A field's "%", tab, CR and LF
// are written as %25, %09, %0D and %0A, so any path fits.
#pragma once
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

std::string EncodeJournalRecord(const JournalRecord& record);

// The records of a journal's bytes, in the order they were written. A last
// line without its CR LF was cut short by a crash and is left out: its change
// was never made. False (and no records) when the header is missing or a
// complete line cannot be read.
bool DecodeJournal(const std::string& bytes, std::vector<JournalRecord>* records);

// Bytes as hexadecimal text and back (registry data); false on a bad digit.
std::string ToHex(const std::string& bytes);
bool FromHex(const std::string& hex, std::string* bytes);
