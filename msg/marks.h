// One-byte marks of the client's one-line message summaries.
#pragma once
#include <string>

inline const std::string MarkAD = "\xAD";  // separates the summary's fields
inline const std::string MarkA8 = "\xA8";  // an inbound message
inline const std::string MarkA9 = "\xA9";  // an outbound message
inline const std::string MarkAC = "\xAC";
