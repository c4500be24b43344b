// A DDE client conversation (DDEML) with a server such as the shell's
// Program Manager.
#pragma once
#include <windows.h>
#include <ddeml.h>

#include <string>

class DdeClient {
 public:
  DdeClient() = default;
  ~DdeClient();
  DdeClient(const DdeClient&) = delete;
  DdeClient& operator=(const DdeClient&) = delete;

  // Closes any open link, then connects at once; false when no server answers.
  bool SetLink(const std::string& service, const std::string& topic);
  bool Connected() const { return conversation_ != nullptr; }
  // Hands an execute command to the server without waiting for its outcome;
  // false when it could not be sent. Throws EDdeError without a link.
  bool ExecuteMacro(const std::string& command);
  void CloseLink();

 private:
  DWORD instance_ = 0;
  HCONV conversation_ = nullptr;
};
