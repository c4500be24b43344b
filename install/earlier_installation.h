// What an earlier installation left for setup to start from: its registry
// values, the address and host of its default message, and where a new one
// goes by default.
#pragma once
#include <string>

// Values the client reads, in UTF-8; a folder stored in its short form for
// the client is given by its real name when it is there.
struct EarlierInstallation {
  bool found = false;  // the client's key is there
  std::string folder;  // "AppDir"
  bool group = false;  // "Program Group" holds a name
  std::string version;
  std::string mixFolder;  // Mixmaster's "MixDir"
};

// Values of a wrong type read as missing.
EarlierInstallation ReadEarlierInstallation();

struct StoredAddress {
  std::string address;  // "From: " of the default message
  std::string host;     // "Host: "
};
// From the client's database in folder; empty when there is none or it
// cannot be read. Reading never writes the file.
StoredAddress ReadStoredAddress(const std::string& folder);

// The client's files a running client holds open in folder.
std::string ClientDatabaseIn(const std::string& folder);
std::string ClientProgramIn(const std::string& folder);

extern const char kDefaultDestination[];  // "C:\Program Files\Corvaline"
// The product's folder in the user's own programs folder
// (%LOCALAPPDATA%\Programs\Corvaline); empty when the shell has no such folder.
std::string UserProgramsDestination();
// The destination to offer: the default, or the user's own programs folder
// when the user may not write the default.
std::string ProposedDestination();

