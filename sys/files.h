// File-system helpers over Windows paths ("\" separated), in UTF-8: every
// name reaches the system whole, whatever its letters, through the wide
// functions. None of them shows a message: failures come back as false,
// empty texts or counts.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "sys/lines.h"

// Attribute bits of folder listings.
constexpr uint32_t kReadOnlyAttr = 0x01;
constexpr uint32_t kHiddenAttr = 0x02;
constexpr uint32_t kSystemAttr = 0x04;
constexpr uint32_t kVolumeIdAttr = 0x08;
constexpr uint32_t kDirectoryAttr = 0x10;
constexpr uint32_t kArchiveAttr = 0x20;
// A link or junction on Windows (Wine shows its links without it).
constexpr uint32_t kReparsePointAttr = 0x400;
// Every kind of entry.
constexpr uint32_t kAnyFileAttr = 0x3F;

// The short (8.3) form of an existing path; empty when the system gives none.
// A part that has no short name stays as it is.
std::string ShortPathName(const std::string& path);
// For tests: a stand-in for the system's short-name lookup (what a volume
// without short names gives); nullptr gives the system's back.
using ShortNameLookup = std::string (*)(const std::string& path);
void SetShortNameLookup(ShortNameLookup lookup);
// The long form of an existing path (each short name replaced by its long
// one); empty when the system gives none.
std::string LongPathName(const std::string& path);
// The full path of path: relative to the current folder, "/" read as "\",
// "." and ".." resolved; empty when the system cannot form one.
std::string FullPathName(const std::string& path);
// The Windows folder, as the system reports it.
std::string WindowsDir();
// The folder for temporary files, as the system reports it (ending in "\").
std::string TempDir();

// What is at a path, telling a name that is not there from one that cannot
// be looked at now.
enum class Presence {
  Folder,
  File,
  Missing,      // the folder it would be in is there, and holds no such name
  Unreachable,  // its drive or share is not there, or the system cannot tell
};
Presence PresenceOf(const std::string& path);

bool FileExists(const std::string& path);       // exists and is not a folder
bool DirectoryExists(const std::string& path);  // exists and is a folder
// Creates the folder with every missing parent; true when it exists afterwards.
bool ForceDirectories(const std::string& folder);
bool CreateDir(const std::string& folder);  // one level
bool RemoveDir(const std::string& folder);  // fails while anything is left in it
bool RemoveFile(const std::string& path);
// Adds bytes at the end of a file, making it when missing; other programs may
// read the file meanwhile. False when the file cannot be opened or written.
bool AppendToFile(const std::string& path, const std::string& bytes);
// Copies source to dest; with failIfExists an existing dest is left alone and
// the copy fails.
bool CopyOneFile(const std::string& source, const std::string& dest, bool failIfExists);
// Whether the last call that failed did so because its target was there
// already (the last error of the calling thread says so; it stays as it is).
bool FailedBecauseTargetExists();
// Renames from to to on one volume (moves across volumes); with replace an
// existing to is replaced in the same step.
bool MoveOneFile(const std::string& from, const std::string& to, bool replace);
// The size of an existing file; false when it cannot be read.
bool FileSizeOf(const std::string& path, uint64_t* size);
// The size and the time of the last write of each plain file of folder, as
// one text: it changes when any of them does. Empty for a missing folder.
std::string FolderStamp(const std::string& folder);
// The whole content of a file; false when it cannot be read or holds more
// than maxBytes (then nothing is read).
bool ReadWholeFile(const std::string& path, uint64_t maxBytes, std::string* bytes);
// Hands the content of a file to take piece by piece as it is read, without
// waiting for a program that holds it; take returns false to stop. False when
// the file cannot be read, or take stopped.
bool ReadFilePieces(const std::string& path,
                    const std::function<bool(const char* data, size_t count)>& take);
// Writes what the system still holds of the file to the disk; false when the
// file cannot be opened or flushed.
bool FlushFileToDisk(const std::string& path);
// The bytes free to this user on the volume of path, found from its nearest
// existing folder; false when no folder of the path can be reached.
bool FreeDiskBytes(const std::string& path, uint64_t* bytes);
std::string GetCurrentDir();
bool SetCurrentDir(const std::string& folder);

// Lists the entries matching mask (for instance "C:\Dir\*.*"), "." and ".."
// left out, as the mask's folder part + the entry name, in the order the file
// system gives them. An entry carrying a hidden, system, volume or folder bit
// that attrMask does not admit is left out. When list is given it receives
// exactly these lines. Returns the number of entries.
int ListFiles(Lines* list, const std::string& mask, uint32_t attrMask);

// The entries of a folder (every attribute admitted), as folder + name in lower
// case, in listing order. Only an entry whose attributes are exactly the folder
// bit counts as a subfolder; a folder with any further attribute counts as a file.
struct FolderEntries {
  Lines subfolders;
  Lines files;
};
// folder must end with "\".
FolderEntries ListFolderEntries(const std::string& folder);

// Removes folder with everything below it that can be removed; true when the
// folder itself is gone. A subfolder counted as a file (see FolderEntries)
// cannot be deleted as one, so it and its parents stay.
bool DeleteTree(const std::string& folder);

// An entry of a folder as the file system names it, with its attributes.
struct NamedEntry {
  std::string name;
  uint32_t attributes;
};
// The entries of folder (ending in "\"), "." and ".." left out, every
// attribute admitted, in listing order, each name exactly as it is stored.
// Delete by these names through a "\\?\" folder only: elsewhere the system
// drops a trailing dot or blank and reaches another file. complete, when
// given, tells whether the listing is the folder's whole content: false when
// the folder could not be read, or not to its end.
std::vector<NamedEntry> ListFolderAsNamed(const std::string& folder, bool* complete = nullptr);

// DeleteTree for a folder in "\\?\" form, by exact names. A file whose name
// keep accepts stays, and so do the folders above it. Only plain folders
// (exactly the folder attribute) that lie where they are named are entered,
// so a link or junction is never followed; an entry that leads elsewhere is
// removed as a link where the system marks it as one, else left. Whatever
// else could not be removed is added to left as a full path: the entries
// themselves, or a folder that stayed with nothing left in it. True when the
// folder itself is gone.
bool DeleteTree(const std::string& folder, bool (*keep)(const std::string& name), Lines* left);

// Copies source to dest through memory: reads source whole, then creates (or
// replaces) dest and writes it. Nothing happens when source does not exist.
// Throws EFOpenError / EFCreateError when a file cannot be opened / created.
void CopyFileViaMemory(const std::string& dest, const std::string& source);
