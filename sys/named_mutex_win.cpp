#include "sys/named_mutex.h"

#include <sddl.h>

#include <vector>

#include "sys/wide.h"

NamedMutex::NamedMutex(const std::string& name) : handle_(CreateMutexW(nullptr, FALSE, Widen(name).c_str())) {
  if (!handle_) return;
  const DWORD wait = WaitForSingleObject(handle_.Get(), 0);
  held_ = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
}

NamedMutex::~NamedMutex() {
  if (held_) ReleaseMutex(handle_.Get());
}

std::string CurrentUserSid() {
  HANDLE raw = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return std::string();
  UniqueHandle token(raw);
  DWORD size = 0;
  GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
  if (size == 0) return std::string();
  std::vector<unsigned char> buffer(size);
  if (!GetTokenInformation(token.Get(), TokenUser, buffer.data(), size, &size)) return std::string();
  char* text = nullptr;
  if (!ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text))
    return std::string();
  LocalMemory owner(text);
  return text;
}
