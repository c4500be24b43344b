// The record of what setup installed, written last into the destination: the
// Windows user it installed for, the version, the destination and the group
// folder, every file it placed with its size and SHA-256, and every shortcut
// it made with its target. The uninstaller removes what the record names and
// nothing else. Byte layout: docs/install-record.md.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "distribution/sha256.h"

constexpr char kInstallRecordName[] = "CVSetup.txt";
// The first line, naming the format and its version.
constexpr char kInstallRecordHeader[] = "Corvaline install record 1";
// A longer record is refused unread: room for some 30,000 files.
constexpr size_t kMaxInstallRecordBytes = 4 << 20;

struct RecordedFile {
  std::string name;  // a plain file name in the destination
  uint64_t size = 0;
  Sha256Digest sha256{};
};

struct RecordedLink {
  std::string name;    // a plain file name in the group folder
  std::string target;  // the full path the shortcut starts
};

// Text in UTF-8; folders without a trailing backslash.
struct InstallRecord {
  std::string user;     // the security identifier ("S-1-5-21-...")
  std::string version;  // of the installed client; may be empty
  std::string folder;   // the destination, a full path
  std::string group;    // the group folder, a full path; empty without a group
  std::vector<RecordedFile> files;
  std::vector<RecordedLink> links;  // only with a group
};

// The record's bytes. False (bytes empty) when a field breaks a rule the
// reader checks: the writer never makes a record that cannot be read back.
bool FormatInstallRecord(const InstallRecord& record, std::string* bytes);

// Reads a record. False, with record empty and the line and the fault in
// reason, on anything else: a longer text, another header, a line out of its
// place or without its CR LF, a field breaking its rule, a name twice in any
// letter case, or a last line whose SHA-256 does not cover the bytes before it.
bool ParseInstallRecord(const std::string& bytes, InstallRecord* record, std::string* reason);

// The recorded file named name in any letter case, or nullptr.
const RecordedFile* FindRecordedFile(const InstallRecord& record, const std::string& name);
const RecordedLink* FindRecordedLink(const InstallRecord& record, const std::string& name);
