#include "tools/cvdb/cvdb.h"

#include <climits>
#include <istream>
#include <iterator>
#include <ostream>

#include "db/FileMan1.h"
#include "db/checker.h"
#include "sys/exception.h"
#include "sys/file_stream.h"
#include "tools/cvdb/dump.h"

namespace {

const char kUsage[] =
    "usage: cvdb [--no-sync] COMMAND FILE ARGS...\n"
    "  put FILE KEY...           store the lines of standard input under the key path\n"
    "  get FILE KEY...           print the record's lines\n"
    "  del FILE KEY...           delete the record\n"
    "  rename FILE KEY... NEW    give the last key of the path the name NEW\n"
    "  init-get FILE NAME [DEFAULT]\n"
    "                            print a setting of the Initialization record\n"
    "  init-set FILE NAME VALUE  set it; an empty VALUE removes it\n"
    "  dump FILE                 print the tree of indexes and records\n"
    "  check FILE                verify the file's structure\n"
    "  --no-sync                 do not wait for the disk: faster for bulk work, but a\n"
    "                            power failure may lose or damage the last changes\n";

const int kExitFailure = 1;
const int kExitUsage = 2;

// The key path of the KEY arguments: joined by the byte 0xFF.
std::string JoinPath(std::vector<std::string>::const_iterator first,
                     std::vector<std::string>::const_iterator last) {
  std::string path;
  for (auto it = first; it != last; ++it) {
    if (it != first) path += dbformat::kPathSeparator;
    path += *it;
  }
  return path;
}

// Lines split at LF, a CR before the LF dropped; a last line without LF counts.
Lines ReadLines(std::istream& in) {
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  Lines lines;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t lf = text.find('\n', pos);
    size_t end = lf == std::string::npos ? text.size() : lf;
    size_t stop = end > pos && lf != std::string::npos && text[end - 1] == '\r' ? end - 1 : end;
    lines.push_back(text.substr(pos, stop - pos));
    pos = lf == std::string::npos ? text.size() : lf + 1;
  }
  return lines;
}

// The file as the engine reads it (an interrupted write rolled back), one
// record at a time; a missing file is an error, not a new database.
DbInspection Inspect(const std::string& fileName, const DbVisitor& visit, size_t keepData) {
  if (!FileStream::Exists(fileName)) throw EFOpenError("Cannot open file " + fileName);
  TFileManager file(fileName, TFileManager::Access::ReadOnly);
  const DbReader read = [&file](int64_t offset, void* out, size_t count) {
    return count <= INT32_MAX && file.ReadAt(offset, out, static_cast<int32_t>(count));
  };
  return InspectDatabase(file.Length(), read, visit, keepData);
}

int Result(int code, std::ostream& err) {
  if (!DbLastNotice().empty()) err << "cvdb: note: " << DbLastNotice() << "\n";
  if (code == kDbOk) return 0;
  std::string text =
      code == kDbBadKey ? std::string("Invalid key path") : TFileManager::ErrorText(code);
  err << "cvdb: " << text;
  if (!DbLastFailure().empty()) err << " (" << DbLastFailure() << ")";
  err << "\n";
  return kExitFailure;
}

int Run(const std::vector<std::string>& a, std::istream& in, std::ostream& out, std::ostream& err) {
  const std::string& command = a[0];
  const std::string& file = a[1];
  const size_t n = a.size();
  if (command == "put" && n >= 3) {
    Lines lines = ReadLines(in);
    return Result(PutRecordStrings(JoinPath(a.begin() + 2, a.end()), &lines, file), err);
  }
  if (command == "get" && n >= 3) {
    Lines lines;
    int code = GetRecordStrings(lines, JoinPath(a.begin() + 2, a.end()), file);
    for (const std::string& line : lines) out << line << '\n';
    return Result(code, err);
  }
  if (command == "del" && n >= 3)
    return Result(PutRecordStrings(JoinPath(a.begin() + 2, a.end()), nullptr, file), err);
  if (command == "rename" && n >= 4)
    return Result(RenameRecord(JoinPath(a.begin() + 2, a.end() - 1), a.back(), file), err);
  if (command == "init-get" && (n == 3 || n == 4)) {
    out << GetInitValue(a[2], n == 4 ? a[3] : std::string(), file) << '\n';
    return 0;
  }
  if (command == "init-set" && n == 4) return Result(SetInitValue(a[2], a[3], file), err);
  if (command == "dump" && n == 2) {
    PrintSummary(Inspect(file, [&out](const DbNode& node) { PrintNode(node, out); },
                         kDumpRecordBytes),
                 out);
    return 0;
  }
  if (command == "check" && n == 2) {
    DbInspection inspection = Inspect(file, [](const DbNode&) {}, 0);
    if (inspection.Sound()) return 0;
    err << "cvdb: " << file << ": " << inspection.FirstFault() << "\n";
    return kExitFailure;
  }
  err << kUsage;
  return kExitUsage;
}

}  // namespace

int RunCvdb(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
            std::ostream& err) {
  const bool noSync = !args.empty() && args[0] == "--no-sync";
  const std::vector<std::string> rest(args.begin() + (noSync ? 1 : 0), args.end());
  if (rest.size() < 2) {
    err << kUsage;
    return kExitUsage;
  }
  const bool durable = TFileManager::Sync();
  TFileManager::SetSync(!noSync);
  SetDbLastFailure(std::string());
  SetDbLastNotice(std::string());
  int code;
  try {
    code = Run(rest, in, out, err);
  } catch (const Exception& e) {
    err << "cvdb: " << e.what() << "\n";
    code = kExitFailure;
  }
  TFileManager::SetSync(durable);
  return code;
}
