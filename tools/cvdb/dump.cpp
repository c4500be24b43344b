#include "tools/cvdb/dump.h"

#include <algorithm>
#include <ostream>

#include "sys/lines.h"

namespace {

// Control bytes as \xNN, so that a key or line cannot move the layout; bytes
// from 0x80 up are ANSI text and pass as they are.
std::string Visible(const std::string& s) {
  static const char hex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : s) {
    if (c < 0x20 || c == 0x7F || c == '\\') {
      out += "\\x";
      out += hex[c >> 4];
      out += hex[c & 15];
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

const int kMaxIndent = 8;  // levels; deeper entries name their depth instead

}  // namespace

void PrintNode(const DbNode& node, std::ostream& out) {
  std::string indent(2 * std::min(node.depth, kMaxIndent), ' ');
  out << indent;
  if (node.depth > kMaxIndent) out << "(depth " << node.depth << ") ";
  out << Visible(node.key);
  if (node.keyLength > node.key.size()) out << "... (" << node.keyLength << " bytes)";
  out << "  ";
  if (node.position == -1) {
    out << "[no record]\n";
  } else if (node.kind == 1) {
    out << "[index at " << node.position << ": " << node.keyCount << " keys]\n";
  } else if (node.kind == 2) {
    out << "[data at " << node.position << ": " << node.unpackedSize << " bytes, "
        << node.storedSize << (node.compressed ? " stored deflated]\n" : " stored as is]\n");
    for (const std::string& line : TextToLines(node.bytes))
      out << indent << "  | " << Visible(line) << "\n";
    if (node.unpackedSize > static_cast<int32_t>(node.bytes.size()))
      out << indent << "  | ... (" << node.unpackedSize - node.bytes.size() << " more bytes)\n";
  } else {
    out << "[unreadable record at " << node.position << "]\n";
  }
}

void PrintSummary(const DbInspection& in, std::ostream& out) {
  out << "file: " << in.length << " bytes, DataEnd " << in.dataEnd << ", root cell " << in.rootCell
      << ", root index " << in.rootIndex << " (" << in.rootKeyCount << " keys)\n";
  int64_t freeBytes = 0;
  for (const auto& e : in.freeExtents) freeBytes += e.second;
  out << "blocks: " << in.liveBytes << " bytes live, " << freeBytes << " free in "
      << in.freeExtents.size() << " extents\n";
  for (const auto& e : in.freeExtents)
    out << "  free at " << e.first << ": " << e.second << " bytes\n";
  for (const DbFault& f : in.faults) out << "fault: " << f.what << " (offset " << f.offset << ")\n";
}
