// The registry object: one open key at a time under a root hive, strings and
// 32-bit integers, keys deleted with everything below them. Failures come back
// as false or empty texts; only a value of the wrong type (or a missing
// integer) throws ERegistryException, as the toolkit's registry object does.
// Key paths are UTF-8. Two kinds of string value: those the client reads keep
// their ANSI bytes exactly (ReadString, WriteString); those Windows reads (the
// entry in Settings > Apps, the shell's folders) are text in UTF-8, stored
// whole through the wide functions (ReadText, WriteText, the section reads).
#pragma once
#include <windows.h>

#include <string>

#include "sys/handle.h"

class Registry {
 public:
  explicit Registry(HKEY root = HKEY_CURRENT_USER) : root_(root) {}
  ~Registry() { CloseKey(); }
  Registry(const Registry&) = delete;
  Registry& operator=(const Registry&) = delete;

  HKEY RootKey() const { return root_; }
  // Closes the open key first.
  void SetRootKey(HKEY root);
  // When on, every close flushes the key to disk before closing it.
  void SetWriteThrough(bool on) { writeThrough_ = on; }

  // Key paths starting with "\" are taken from the root; others from the open
  // key when there is one, else from the root. On success the key becomes the
  // open key (closing the previous one).
  bool OpenKey(const std::string& key, bool canCreate);
  bool OpenKeyReadOnly(const std::string& key);
  void CloseKey();
  bool HasOpenKey() const { return current_.Valid(); }

  bool KeyExists(const std::string& key) const;
  // Deletes the key with all its subkeys and values.
  bool DeleteKey(const std::string& key);

  // Values of the open key.
  bool ValueExists(const std::string& name) const;
  // A missing value reads as ""; a value that is not a string throws.
  std::string ReadString(const std::string& name) const;
  // A missing value and a value that is not a string both read as "": for
  // values a damaged installation or another program may have written.
  std::string ReadStringOrEmpty(const std::string& name) const;
  // A missing value or one that is not a 32-bit integer throws.
  int ReadInteger(const std::string& name) const;
  bool WriteString(const std::string& name, const std::string& value);
  // A string value as text, whatever its letters; a missing value and one
  // that is not a string read as "".
  std::string ReadText(const std::string& name) const;
  bool WriteText(const std::string& name, const std::string& value);
  bool WriteInteger(const std::string& name, int value);  // REG_DWORD
  // A value of the open key exactly as stored (a string in UTF-16), to put it
  // back later.
  struct RawValue {
    bool present = false;
    DWORD type = 0;
    std::string data;
  };
  // False when the value is there but cannot be read.
  bool ReadRaw(const std::string& name, RawValue* value) const;
  // Stores the value as it was; one that was not present is deleted.
  bool WriteRaw(const std::string& name, const RawValue& value);

  // Ini-style read of text: value name of the subkey section of the open key
  // (or of the root), def when the subkey or the value is missing. Creates
  // nothing.
  std::string ReadSectionString(const std::string& section, const std::string& name,
                                const std::string& def) const;
  // The same, "" when the subkey or the value is missing or not a string.
  std::string ReadSectionStringOrEmpty(const std::string& section, const std::string& name) const;

 private:
  HKEY BaseFor(const std::string& key) const;
  UniqueRegKey OpenSection(const std::string& section) const;
  bool Open(const std::string& key, REGSAM access, bool canCreate);

  HKEY root_;
  UniqueRegKey current_;
  bool writeThrough_ = false;
};

// Whether key exists under the current user's hive.
bool RegistryKeyExists(const std::string& key);

// Writes the string value name = command under
// Software\Microsoft\Windows\CurrentVersion\RunOnce of the local machine, or of
// the current user when that cannot be opened; flushed on close. The key is
// never created: false when it opens in neither hive or the write fails.
bool AddRunOnce(const std::string& name, const std::string& command);
