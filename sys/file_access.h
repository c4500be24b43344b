// What a user may do with a file or folder, found out by trying: token and
// group queries cannot tell a standard user under UAC (nor Wine's unprivileged
// user) from an administrator. Every probe removes what it made at once.
#pragma once
#include <string>

// The file is held open by another program (a running client's database, or
// its program file): opening it for writing fails with a sharing violation.
// A missing or read-only file is not in use.
bool FileInUse(const std::string& path);

// The file can be opened for reading.
bool CanReadFile(const std::string& path);

// Takes the read-only attribute off an existing file; true when it has none
// afterwards.
bool ClearReadOnly(const std::string& path);

// The user lacks the rights to put files into folder: an existing folder
// refuses a new file, a missing one's nearest existing parent refuses a new
// folder, with access denied. Other failures (a bad name, a missing drive)
// are not a matter of rights and give false.
bool LacksRightsFor(const std::string& folder);

// The short (8.3) name a new folder in folder gets when its name is name with
// a suffix: a probe folder, made and removed at once. Empty when it cannot be
// made; the probe's long name itself when the volume makes no short names.
std::string ShortNameOfNewFolder(const std::string& folder, const std::string& name);
