#include "sys/dde_client.h"

#include "sys/exception.h"
#include "sys/message_pump.h"
#include "sys/wide.h"

namespace {

HDDEDATA CALLBACK DdeCallback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) {
  return nullptr;
}

class StringHandle {
 public:
  StringHandle(DWORD instance, const std::string& text)
      : instance_(instance), handle_(DdeCreateStringHandleW(instance, Widen(text).c_str(), CP_WINUNICODE)) {}
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
      DdeInitializeW(&instance_, DdeCallback, APPCMD_CLIENTONLY | CBF_SKIP_ALLNOTIFICATIONS, 0) !=
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
  // A wide conversation sends the command in UTF-16; the system hands it to
  // a server of the code page in that code page (Wine's Program Manager takes
  // names of the code page only).
  std::wstring text = Widen(command);
  // Asynchronous: the server acts on it in its own time; the outcome is not ours to check.
  HDDEDATA sent = DdeClientTransaction(reinterpret_cast<LPBYTE>(&text[0]),
                                       static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)), conversation_,
                                       nullptr, 0, XTYP_EXECUTE, TIMEOUT_ASYNC, &transaction);
  if (!sent) return false;
  // Let the request leave before the link may be closed behind it.
  ProcessMessages();
  return true;
}

void DdeClient::CloseLink() {
  if (conversation_) DdeDisconnect(conversation_);
  conversation_ = nullptr;
}
