// Path text helpers. Windows paths: "\" separates folders, a folder to which a
// file name is appended carries one trailing backslash.
#pragma once
#include <string>

// path + "\" unless path is empty or already ends with "\".
std::string AddBackslash(const std::string& path);
// path without its last character when that is "\" (one at most).
std::string StripBackslash(const std::string& path);
// Whether path names one place whatever the current folder and drive: a
// drive letter with its root ("C:\") or a network share ("\\server").
bool IsAbsolutePath(const std::string& path);
// The root of a full path, with its backslash: "C:\" for "C:\x",
// "\\server\share\" for "\\server\share\x".
std::string PathRoot(const std::string& path);
// The text after the last "\" or ":".
std::string ExtractFileName(const std::string& path);
// The text up to and including the last "\" or ":".
std::string ExtractFilePath(const std::string& path);
// The file-name part's extension (from its last ".") replaced by ext.
std::string ChangeFileExt(const std::string& path, const std::string& ext);
