// The record store as the rest of the system sees it. Every operation opens
// the file, walks the key path through the indexes, acts on the last key and
// closes the file again. Writes hold the file exclusively (creating it when
// missing); reads open it for reading only, beside other readers, and never
// change it.
//
// A key path is key components joined by the byte 0xFF; empty components are
// skipped, keys match ignoring case. Results are the engine's codes (DbError:
// 0 success, 1 write, 2 read, 3 seek failure, 4 a path the file cannot hold);
// a file that cannot be opened or created raises EFOpenError / EFCreateError.
#pragma once
#include <string>

#include "db/data_buf.h"
#include "sys/lines.h"

// Stores buffer under path (left compressed, Kind 2); a null buffer deletes the
// record. Missing indexes on the way come into being.
int PutRecord(const std::string& path, TDataBuf* buffer, const std::string& fileName);
// Loads the record under path into buffer; an absent record leaves it as it
// was. A missing file gives 0 and is not created.
int GetRecord(const std::string& path, TDataBuf& buffer, const std::string& fileName);
// The record's text split into lines (nothing after its first NUL).
int GetRecordStrings(Lines& list, const std::string& path, const std::string& fileName);
// Stores the lines, each followed by CR LF; a null list deletes the record.
int PutRecordStrings(const std::string& path, const Lines* list, const std::string& fileName);
// Whether the record has at least one byte; out, when given, gets a copy.
bool CopyRecord(const std::string& path, TDataBuf* out, const std::string& fileName);
// Whether the record has at least one line; out, when given, gets the lines.
bool RecordHasLines(const std::string& path, Lines* out, const std::string& fileName);

// The value of the first "name=value" line of the "Initialization" record
// whose name matches; def when none matches or the value is empty.
std::string GetInitValue(const std::string& name, const std::string& def,
                         const std::string& fileName);
// Replaces or appends the line name=value; an empty value deletes the line.
int SetInitValue(const std::string& name, const std::string& value, const std::string& fileName);

// Gives the last key of path the name newKey; the record stays where it is.
int RenameRecord(const std::string& path, const std::string& newKey, const std::string& fileName);
// As RenameRecord, after trimming path in place (blanks and control characters).
int RenameRecordTrimmed(std::string& path, const std::string& newKey, const std::string& fileName);
