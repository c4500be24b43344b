// The distribution's file list: a text file beside setup.exe naming every file
// of the distribution (setup.exe too) with its size and SHA-256. Setup copies
// exactly these files, checked first, and installs the list as the record of
// what it put there. Layout: docs/distribution-format.md.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "distribution/byte_io.h"
#include "distribution/sha256.h"
#include "distribution/status.h"

constexpr char kFileListName[] = "CVFiles.txt";
// The first line, naming the format and its version.
constexpr char kFileListHeader[] = "Corvaline file list 1";
// A longer list is refused unread: about 3,000 files.
constexpr size_t kMaxFileListBytes = 1 << 20;

struct ListedFile {
  std::string name;
  uint64_t size = 0;
  Sha256Digest sha256{};
};
using FileList = std::vector<ListedFile>;

// Reads a list; refuses (kDamaged, the line and the fault in the reason) a
// missing or other header, a line not ending in CR LF, a bad hash or size, a
// name that is not a plain file name (file_name.h), and a name listed twice in
// any letter case. out is left empty on refusal.
DistStatus ParseFileList(const std::string& text, FileList& out);

// The list's text, files in the given order; refuses what ParseFileList would.
DistStatus FormatFileList(const FileList& files, std::string& out);

// The entry named name in any letter case, or nullptr.
const ListedFile* FindListedFile(const FileList& files, const std::string& name);

// Whether file has the listed size and SHA-256 (kDamaged when not), its bytes
// copied to copy on the way when there is one: the hash is known only at the
// end, so on failure copy has had them all, and the caller discards them.
DistStatus CheckListedFile(const ListedFile& listed, ByteSource& file, ByteSink* copy = nullptr);
