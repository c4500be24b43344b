// Product and version strings: the second group of the shared constants,
// usable on its own.
#pragma once
#include <string>

extern const std::string ClientExeFile;
extern const std::string UninstallerFile;
extern const std::string ProductName;
extern const std::string ProductRegistryKey;
extern const std::string ProgramVersionTag;
extern const std::string SetupExeFile;
extern const std::string SetupTitle;
extern const std::string UninstExeFile;
extern const std::string UninstallTitle;
extern const std::string CopyrightNotice;
extern const std::string KeywordDate;
extern const std::string KeywordVersion;
extern const std::string KeywordVER;
extern const std::string KeywordAuthor;
extern const std::string KeywordCopyright;
extern const std::string KeywordFilename;
extern const std::string KeywordHeader;
extern const std::string KeywordRevision;
extern const std::string KeywordOwner;
extern const std::string KeywordLogfile;
