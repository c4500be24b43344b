#include <vector>

#include "sys/exception.h"
#include "sys/registry.h"
#include "sys/wide.h"

// Keys and the values Windows reads go through the wide functions; the values
// the client reads keep their ANSI bytes exactly (ReadString, WriteString).
namespace {
std::wstring KeyPath(const std::string& key) {
  return Widen(!key.empty() && key[0] == '\\' ? key.substr(1) : key);
}

// Type and size of a value; false when it is missing or unreadable.
bool QueryValue(HKEY key, const std::string& name, DWORD* type, DWORD* size) {
  return key && RegQueryValueExA(key, name.c_str(), nullptr, type, nullptr, size) == ERROR_SUCCESS;
}

bool IsString(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

// The string value, "" when it is missing; false when it is of another type.
// wide: its text in UTF-8, else its ANSI bytes.
bool ReadStringValue(HKEY key, const std::string& name, bool wide, std::string* value) {
  value->clear();
  DWORD type = 0, size = 0;
  if (!QueryValue(key, name, &type, &size)) return true;
  if (!IsString(type)) return false;
  if (!wide) {
    // One more zero than asked for: a stored string need not end in one.
    std::vector<char> data(size + 1, '\0');
    DWORD got = size;
    if (RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &got) ==
        ERROR_SUCCESS)
      *value = data.data();
    return true;
  }
  const std::wstring wideName = Widen(name);
  DWORD bytes = 0;
  if (RegQueryValueExW(key, wideName.c_str(), nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS) return true;
  std::vector<wchar_t> data(bytes / sizeof(wchar_t) + 1, L'\0');
  if (RegQueryValueExW(key, wideName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &bytes) ==
      ERROR_SUCCESS)
    *value = Narrow(data.data());
  return true;
}

std::string ReadStringFrom(HKEY key, const std::string& name, bool wide) {
  std::string value;
  if (!ReadStringValue(key, name, wide, &value))
    throw ERegistryException("Invalid data type for '" + name + "'");
  return value;
}

std::string ReadStringOrEmptyFrom(HKEY key, const std::string& name, bool wide) {
  std::string value;
  return ReadStringValue(key, name, wide, &value) ? value : std::string();
}

void DeleteSubkeysOf(HKEY parent, const std::wstring& key) {
  HKEY raw = nullptr;
  if (RegOpenKeyExW(parent, key.c_str(), 0, KEY_READ, &raw) != ERROR_SUCCESS) return;
  UniqueRegKey open(raw);
  // Collect the names first: deleting while enumerating shifts the indexes.
  std::vector<std::wstring> names;
  wchar_t name[256];
  for (DWORD i = 0;; ++i) {
    DWORD len = sizeof name / sizeof name[0];
    if (RegEnumKeyExW(open.Get(), i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.emplace_back(name, len);
  }
  for (const std::wstring& sub : names) {
    DeleteSubkeysOf(open.Get(), sub);
    RegDeleteKeyW(open.Get(), sub.c_str());
  }
}
}  // namespace

void Registry::SetRootKey(HKEY root) {
  CloseKey();
  root_ = root;
}

HKEY Registry::BaseFor(const std::string& key) const {
  bool fromRoot = !key.empty() && key[0] == '\\';
  return !fromRoot && current_.Valid() ? current_.Get() : root_;
}

bool Registry::Open(const std::string& key, REGSAM access, bool canCreate) {
  HKEY base = BaseFor(key);
  const std::wstring path = KeyPath(key);
  HKEY opened = nullptr;
  LONG r = canCreate ? RegCreateKeyExW(base, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr,
                                       &opened, nullptr)
                     : RegOpenKeyExW(base, path.c_str(), 0, access, &opened);
  if (r != ERROR_SUCCESS) return false;
  // Opened relative to the current key: close that one only now.
  CloseKey();
  current_.Reset(opened);
  return true;
}

bool Registry::OpenKey(const std::string& key, bool canCreate) {
  return Open(key, KEY_ALL_ACCESS, canCreate);
}

bool Registry::OpenKeyReadOnly(const std::string& key) { return Open(key, KEY_READ, false); }

void Registry::CloseKey() {
  if (!current_.Valid()) return;
  if (writeThrough_) RegFlushKey(current_.Get());
  current_.Reset();
}

bool Registry::KeyExists(const std::string& key) const {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(BaseFor(key), KeyPath(key).c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
  RegCloseKey(opened);
  return true;
}

bool Registry::DeleteKey(const std::string& key) {
  HKEY base = BaseFor(key);
  const std::wstring path = KeyPath(key);
  if (path.empty()) return false;  // never the whole hive or the open key itself
  DeleteSubkeysOf(base, path);
  return RegDeleteKeyW(base, path.c_str()) == ERROR_SUCCESS;
}

bool Registry::ValueExists(const std::string& name) const {
  DWORD type = 0, size = 0;
  return QueryValue(current_.Get(), name, &type, &size);
}

std::string Registry::ReadString(const std::string& name) const {
  return ReadStringFrom(current_.Get(), name, false);
}

std::string Registry::ReadStringOrEmpty(const std::string& name) const {
  return ReadStringOrEmptyFrom(current_.Get(), name, false);
}

std::string Registry::ReadText(const std::string& name) const {
  return ReadStringOrEmptyFrom(current_.Get(), name, true);
}

int Registry::ReadInteger(const std::string& name) const {
  DWORD type = 0, value = 0, size = sizeof value;
  if (!current_.Valid() ||
      RegQueryValueExA(current_.Get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value),
                       &size) != ERROR_SUCCESS) {
    // A value too large for four bytes is there, only of another type.
    if (QueryValue(current_.Get(), name, &type, &size))
      throw ERegistryException("Invalid data type for '" + name + "'");
    throw ERegistryException("Failed to get data for '" + name + "'");
  }
  if (type != REG_DWORD || size != sizeof value)
    throw ERegistryException("Invalid data type for '" + name + "'");
  return static_cast<int>(value);
}

bool Registry::WriteString(const std::string& name, const std::string& value) {
  return current_.Valid() &&
         RegSetValueExA(current_.Get(), name.c_str(), 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

bool Registry::WriteText(const std::string& name, const std::string& value) {
  const std::wstring text = Widen(value);
  return current_.Valid() &&
         RegSetValueExW(current_.Get(), Widen(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                        static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool Registry::WriteInteger(const std::string& name, int value) {
  DWORD data = static_cast<DWORD>(value);
  return current_.Valid() &&
         RegSetValueExA(current_.Get(), name.c_str(), 0, REG_DWORD,
                        reinterpret_cast<const BYTE*>(&data), sizeof data) == ERROR_SUCCESS;
}

bool Registry::ReadRaw(const std::string& name, RawValue* value) const {
  *value = RawValue();
  const std::wstring wideName = Widen(name);
  DWORD type = 0, size = 0;
  const LONG r = current_.Valid() ? RegQueryValueExW(current_.Get(), wideName.c_str(), nullptr, &type, nullptr, &size)
                                  : ERROR_INVALID_HANDLE;
  if (r == ERROR_FILE_NOT_FOUND) return true;
  if (r != ERROR_SUCCESS) return false;
  std::string data(size, '\0');
  if (size && RegQueryValueExW(current_.Get(), wideName.c_str(), nullptr, &type,
                               reinterpret_cast<BYTE*>(&data[0]), &size) != ERROR_SUCCESS)
    return false;
  data.resize(size);
  *value = RawValue{true, type, data};
  return true;
}

bool Registry::WriteRaw(const std::string& name, const RawValue& value) {
  if (!current_.Valid()) return false;
  const std::wstring wideName = Widen(name);
  if (!value.present) {
    const LONG r = RegDeleteValueW(current_.Get(), wideName.c_str());
    return r == ERROR_SUCCESS || r == ERROR_FILE_NOT_FOUND;
  }
  return RegSetValueExW(current_.Get(), wideName.c_str(), 0, value.type,
                        reinterpret_cast<const BYTE*>(value.data.data()),
                        static_cast<DWORD>(value.data.size())) == ERROR_SUCCESS;
}

UniqueRegKey Registry::OpenSection(const std::string& section) const {
  UniqueRegKey sub;
  if (RegOpenKeyExW(BaseFor(section), KeyPath(section).c_str(), 0, KEY_READ, sub.Receive()) != ERROR_SUCCESS)
    sub.Release();  // left untouched on failure: nothing to close
  return sub;
}

std::string Registry::ReadSectionString(const std::string& section, const std::string& name,
                                        const std::string& def) const {
  UniqueRegKey sub = OpenSection(section);
  DWORD type = 0, size = 0;
  if (!QueryValue(sub.Get(), name, &type, &size)) return def;
  return ReadStringFrom(sub.Get(), name, true);
}

std::string Registry::ReadSectionStringOrEmpty(const std::string& section,
                                               const std::string& name) const {
  return ReadStringOrEmptyFrom(OpenSection(section).Get(), name, true);
}
