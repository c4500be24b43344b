// The system's own wording for error codes.
#pragma once
#include <cstdint>
#include <string>

// The message-table text for code, in the user's default language, as the
// system gives it (its closing line break included); empty when there is none.
std::string SystemErrorText(uint32_t code);
// SystemErrorText of the calling thread's last error code.
std::string LastErrorText();
