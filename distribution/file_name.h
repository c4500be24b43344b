// The names a distribution may carry: one plain file of one folder, nothing
// that reaches elsewhere. Both the file list and the payload hold to this, so
// neither can make the installer write outside its staging folder.
#pragma once
#include <string>

constexpr size_t kMaxFileNameLength = 255;

// Why name is not a plain file name ("" when it is): empty or too long, a path
// separator, a drive, "." or "..", a character Windows refuses in names, a trailing
// dot or blank (Windows drops it, so two names would meet), a device (CON...).
std::string FileNameFault(const std::string& name);

// Whether Windows opens name as a device (CON, NUL, COM1...), as it judges:
// with any extension, and blanks at the end of the part before it ignored.
bool IsDeviceName(const std::string& name);

// The form under which Windows takes two names for one file.
std::string FoldedFileName(const std::string& name);
