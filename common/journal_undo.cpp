#include "common/journal_undo.h"

#include <cstdlib>

#include "common/kept_copy.h"
#include "common/protected_folders.h"
#include "sys/direct_file.h"
#include "sys/file_access.h"
#include "sys/files.h"
#include "sys/path.h"
#include "sys/registry.h"
#include "sys/utf8_case.h"

namespace {

namespace op = journal_op;

// Rule 10: what the file functions say of a path on a drive or share that is
// away means nothing.
bool Reachable(const std::string& path) { return DirectoryExists(PathRoot(path)); }

// Rule 12: a made file goes only when its own name leads to it.
bool RemoveMade(const std::string& path, Lines* left) {
  const DirectFile removed = Reachable(path) ? RemoveDirectFile(path) : DirectFile::Failed;
  if (removed == DirectFile::Done || removed == DirectFile::Missing) return true;
  left->push_back(path);
  return false;
}

bool SameValue(const Registry::RawValue& a, const Registry::RawValue& b) {
  return a.present == b.present && (!a.present || (a.type == b.type && a.data == b.data));
}

// A value that already holds what it held before needs no write: its own
// write may have been the change that failed.
bool RestoreValue(const JournalRecord& r) {
  Registry::RawValue value;
  value.present = r.fields[2] == "1";
  value.type = static_cast<DWORD>(std::strtoul(r.fields[3].c_str(), nullptr, 10));
  if (!FromHex(r.fields[4], &value.data)) return false;
  Registry registry;
  Registry::RawValue now;
  if (registry.OpenKeyReadOnly("\\" + r.fields[0]) && registry.ReadRaw(r.fields[1], &now) &&
      SameValue(now, value))
    return true;
  if (!value.present && !registry.KeyExists("\\" + r.fields[0])) return true;
  return registry.OpenKey("\\" + r.fields[0], true) && registry.WriteRaw(r.fields[1], value);
}

bool DeleteKeyTree(const std::string& key) {
  Registry registry;
  if (!registry.KeyExists("\\" + key)) return true;
  registry.DeleteKey("\\" + key);
  return !registry.KeyExists("\\" + key);
}

bool RemoveFolder(const std::string& folder, Lines* left) {
  if (Reachable(folder)) {
    if (!DirectoryExists(folder)) return true;
    // A folder the shell keeps (a Start menu made for us) is never ours to remove.
    if (IsProtectedFolder(folder)) return true;
    RemoveDir(folder);
    if (!DirectoryExists(folder)) return true;
  }
  left->push_back(folder);
  return false;
}

// Rules 6 to 8: the proven copy moves back over path in one rename; a copy
// that is gone was put back when path holds its bytes.
bool PutBack(const JournalRecord& r, Lines* left) {
  const std::string& path = r.fields[0];
  const std::string& copy = r.fields[1];
  const CopyProof proof{std::strtoull(r.fields[2].c_str(), nullptr, 10), r.fields[3]};
  if (Reachable(path)) {
    if (!FileExists(copy) && Proves(path, proof)) return true;
    if (FileExists(copy) && Proves(copy, proof)) {
      if (FileExists(path)) ClearReadOnly(path);
      if (MoveOneFile(copy, path, true)) return true;
    }
  }
  left->push_back(path);
  left->push_back(copy);
  return false;
}

}  // namespace

JournalUndo::JournalUndo(const std::vector<JournalRecord>& records) {
  for (const JournalRecord& r : records) {
    if (r.op == op::kNotOurs) notOurs_.insert(Utf8LowerCase(r.fields[0]));
    if (r.op != op::kAside && r.op != op::kBackup) continue;
    kept_.insert(Utf8LowerCase(r.fields[0]));
    copies_.insert(Utf8LowerCase(r.fields[1]));
  }
}

bool JournalUndo::OurFile(const std::string& path) const {
  return !notOurs_.count(Utf8LowerCase(path));
}

bool JournalUndo::Undo(const JournalRecord& r, Lines* left) const {
  const std::string& first = r.fields.empty() ? std::string() : r.fields[0];
  if (r.op == op::kFolder) return RemoveFolder(first, left);
  // Rule 7: a file made over a kept one comes back with that one's record.
  if (r.op == op::kFile)
    return !OurFile(first) || kept_.count(Utf8LowerCase(first)) || RemoveMade(first, left);
  if (r.op == op::kAside || r.op == op::kBackup) return PutBack(r, left);
  // A scratch file that became a kept copy is that copy's record's to put back.
  if (r.op == op::kScratch)
    return !OurFile(first) || copies_.count(Utf8LowerCase(first)) || RemoveMade(first, left);
  if (r.op == op::kKey) {
    if (DeleteKeyTree(first)) return true;
    left->push_back("HKEY_CURRENT_USER\\" + first);
    return false;
  }
  if (r.op == op::kValue) {
    if (RestoreValue(r)) return true;
    left->push_back("HKEY_CURRENT_USER\\" + first + " " + r.fields[1]);
    return false;
  }
  return true;
}

bool JournalUndo::RemoveCopy(const JournalRecord& r, Lines* left) const {
  if (r.op == op::kAside || r.op == op::kBackup) return RemoveMade(r.fields[1], left);
  if (r.op == op::kScratch && OurFile(r.fields[0])) return RemoveMade(r.fields[0], left);
  return true;
}
