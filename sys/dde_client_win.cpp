#include "sys/dde_client.h"

#include "sys/exception.h"
#include "sys/message_pump.h"

namespace {

HDDEDATA CALLBACK DdeCallback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) {
  return nullptr;
}

class StringHandle {
 public:
  StringHandle(DWORD instance, const std::string& text)
      : instance_(instance), handle_(DdeCreateStringHandleA(instance, text.c_str(), CP_WINANSI)) {}
  ~StringHandle() {
    if (handle_) DdeFreeStringHandle(instance_, handle_);
  }
  HSZ get() const { return handle_; }

 private:
  DWORD instance_;
  HSZ handle_;
};

}  // namespace

DdeClient::~DdeClient() {
  CloseLink();
  if (instance_) DdeUninitialize(instance_);
}

bool DdeClient::SetLink(const std::string& service, const std::string& topic) {
  CloseLink();
  if (!instance_ &&
      DdeInitializeA(&instance_, DdeCallback, APPCMD_CLIENTONLY | CBF_SKIP_ALLNOTIFICATIONS, 0) !=
          DMLERR_NO_ERROR) {
    instance_ = 0;
    return false;
  }
  StringHandle hszService(instance_, service), hszTopic(instance_, topic);
  conversation_ = DdeConnect(instance_, hszService.get(), hszTopic.get(), nullptr);
  return conversation_ != nullptr;
}

bool DdeClient::ExecuteMacro(const std::string& command) {
  if (!conversation_) throw EDdeError("DDE conversation not established");
  DWORD transaction = 0;
  // Asynchronous: the server acts on it in its own time; the outcome is not ours to check.
  HDDEDATA sent = DdeClientTransaction(
      reinterpret_cast<LPBYTE>(const_cast<char*>(command.c_str())),
      static_cast<DWORD>(command.size() + 1), conversation_, nullptr, CF_TEXT, XTYP_EXECUTE,
      TIMEOUT_ASYNC, &transaction);
  if (!sent) return false;
  // Let the request leave before the link may be closed behind it.
  ProcessMessages();
  return true;
}

void DdeClient::CloseLink() {
  if (conversation_) DdeDisconnect(conversation_);
  conversation_ = nullptr;
}
