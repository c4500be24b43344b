#include "db/operations.h"

#include <functional>
#include <memory>
#include <vector>

#include "db/file_manager.h"
#include "db/format.h"
#include "db/index.h"
#include "db/report.h"
#include "db/settings_record.h"
#include "db/storage.h"
#include "sys/ansi.h"
#include "sys/text.h"

namespace {

// CR, LF and NUL would split or cut the key when its index is read back and
// shift the position list against the keys.
bool KeyFits(const std::string& key) {
  return key.find_first_of(std::string("\r\n\0", 3)) == std::string::npos;
}

// The components of path; false when it has too many or one that no index
// can hold.
bool SplitPath(const std::string& path, Lines& components) {
  const std::string separator(1, dbformat::kPathSeparator);
  for (int i = 0;; ++i) {
    std::string key = GetToken(i, path, separator, "");
    if (key.empty()) break;
    if (i == dbformat::kMaxPathComponents || !KeyFits(key)) return false;
    components.push_back(key);
  }
  return true;
}

constexpr TFileManager::Access kRead = TFileManager::Access::ReadOnly;
constexpr TFileManager::Access kWrite = TFileManager::Access::ReadWrite;

int Refuse(const std::string& why) {
  SetDbLastFailure(why);
  return kDbBadKey;
}

// Opens the file, loads the indexes of path down to the innermost and runs
// last on it with the last key. An index that cannot be read stops the walk
// before anything is written: storing over it would orphan every record below.
int Walk(const std::string& path, const std::string& fileName, TFileManager::Access access,
         const std::function<void(TFMindex&, const std::string&)>& last) {
  Lines components;
  if (!SplitPath(path, components))
    return Refuse("the key path has more than 16 components or a key with CR, LF or NUL");
  SetDbLastNotice(std::string());
  TFileManager manager(fileName, access);
  SetDbLastNotice(manager.Notice);
  std::vector<std::unique_ptr<TFMindex>> chain;
  if (manager.FirstError == kDbOk) {
    chain.push_back(std::make_unique<TFMindex>(manager, nullptr, std::string()));
    for (size_t level = 1; level < components.size() && manager.FirstError == kDbOk; ++level) {
      TFMindex* parent = chain.back().get();
      chain.push_back(std::make_unique<TFMindex>(manager, parent, components[level - 1]));
    }
  }
  if (manager.FirstError == kDbOk)
    last(*chain.back(), components.empty() ? std::string() : components.back());
  // All or nothing: a failure anywhere leaves the file as it was.
  if (manager.FirstError == kDbOk)
    manager.Commit();
  else
    manager.Discard();
  // The first failure of the operation is its result: a later step that
  // succeeds must not turn a failed write into a reported success.
  int result = manager.FirstError;
  if (result != kDbOk) {
    if (!manager.Diagnosis.empty())
      SetDbLastFailure(manager.Diagnosis);
    else
      SetDbLastFailure(manager.Report.empty() ? manager.ReportError(result) : manager.Report);
  }
  while (!chain.empty()) chain.pop_back();  // deepest first
  return result;
}

}  // namespace

int PutRecord(const std::string& path, TDataBuf* buffer, const std::string& fileName) {
  return Walk(path, fileName, kWrite, [buffer](TFMindex& index, const std::string& key) {
    index.WriteRecord(key, buffer, true);
  });
}

int GetRecord(const std::string& path, TDataBuf& buffer, const std::string& fileName) {
  Lines components;
  if (!SplitPath(path, components))
    return Refuse("the key path has more than 16 components or a key with CR, LF or NUL");
  if (!CurrentDbFiles().Exists(fileName)) return kDbOk;
  // Reading opens the file for reading only: it works on read-only media,
  // beside other readers, and cannot change the file.
  return Walk(path, fileName, kRead, [&buffer](TFMindex& index, const std::string& key) {
    if (index.RecordSize(key) > 0) index.ReadRecord(key, &buffer);
  });
}

int GetRecordStrings(Lines& list, const std::string& path, const std::string& fileName) {
  list.clear();
  TDataBuf buffer;
  int result = GetRecord(path, buffer, fileName);
  list = TextToLines(buffer.Text());
  return result;
}

int PutRecordStrings(const std::string& path, const Lines* list, const std::string& fileName) {
  if (!list) return PutRecord(path, nullptr, fileName);
  std::string text = LinesToText(*list);
  TDataBuf buffer(text.data(), static_cast<int32_t>(text.size()));
  return PutRecord(path, &buffer, fileName);
}

bool CopyRecord(const std::string& path, TDataBuf* out, const std::string& fileName) {
  TDataBuf loaded;
  GetRecord(path, loaded, fileName);
  if (out) out->SetData(loaded.Data(), loaded.Size());
  return loaded.Size() != 0;
}

bool RecordHasLines(const std::string& path, Lines* out, const std::string& fileName) {
  Lines list;
  GetRecordStrings(list, path, fileName);
  if (out) *out = TextToLines(LinesToText(list));
  return !list.empty();
}

namespace {

// The line "name=..." for name, or -1. Lines without "=" never match.
int FindSetting(const Lines& list, const std::string& name) {
  for (size_t i = 0; i < list.size(); ++i) {
    size_t eq = list[i].find('=');
    if (eq != std::string::npos && AnsiSameText(list[i].substr(0, eq), name))
      return static_cast<int>(i);
  }
  return -1;
}

}  // namespace

std::string GetInitValue(const std::string& name, const std::string& def,
                         const std::string& fileName) {
  Lines list;
  GetRecordStrings(list, InitializationKey, fileName);
  int i = FindSetting(list, name);
  if (i < 0) return def;
  std::string value = list[i].substr(list[i].find('=') + 1);
  return value.empty() ? def : value;
}

// One operation from the reading of the record to the writing of it: a
// second writer waits for the whole of it, so no setting is lost between.
int SetInitValue(const std::string& name, const std::string& value, const std::string& fileName) {
  return Walk(InitializationKey, fileName, kWrite,
              [&](TFMindex& index, const std::string& key) {
                TDataBuf buffer;
                // A record that could not be read would be replaced by this one line.
                if (index.RecordSize(key) > 0 && !index.ReadRecord(key, &buffer)) return;
                if (index.Manager.FirstError != kDbOk) return;
                Lines list = TextToLines(buffer.Text());
                int i = FindSetting(list, name);
                if (!value.empty()) {
                  std::string line = name + "=" + value;
                  if (i < 0)
                    list.push_back(line);
                  else
                    list[i] = line;
                } else if (i >= 0) {
                  list.erase(list.begin() + i);
                }
                std::string text = LinesToText(list);
                TDataBuf record(text.data(), static_cast<int32_t>(text.size()));
                index.WriteRecord(key, &record, true);
              });
}

int RenameRecord(const std::string& path, const std::string& newKey, const std::string& fileName) {
  if (!KeyFits(newKey) || newKey.find(dbformat::kPathSeparator) != std::string::npos)
    return Refuse("the new key holds CR, LF, NUL or the byte 0xFF");
  return Walk(path, fileName, kWrite, [&newKey](TFMindex& index, const std::string& key) {
    int i = index.IndexOf(key);
    if (i < 0) return;
    index.SetKey(i, newKey);
    index.SaveAndLink();
  });
}

int RenameRecordTrimmed(std::string& path, const std::string& newKey, const std::string& fileName) {
  path = Trim(path);
  return RenameRecord(path, newKey, fileName);
}
