#include <windows.h>

#include <vector>

#include "sys/account.h"
#include "sys/handle.h"

bool RunsAsLocalSystem() {
  wchar_t test[4] = L"";
  if (GetEnvironmentVariableW(L"CV_TEST_AS_LOCAL_SYSTEM", test, 4) == 1 && test[0] == L'1')
    return true;
  UniqueHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Receive())) return false;
  DWORD size = 0;
  GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
  std::vector<BYTE> user(size ? size : 1);
  if (!GetTokenInformation(token.Get(), TokenUser, user.data(), size, &size)) return false;
  const PSID sid = reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid;
  return IsWellKnownSid(sid, WinLocalSystemSid) != FALSE;
}
