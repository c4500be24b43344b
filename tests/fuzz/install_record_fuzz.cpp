// The fuzzer's bytes as an install record, its last line (the SHA-256 of what
// comes before) added as a forger would, so that every field is reached.
// Besides the sanitizers' checks: a record that reads is one the writer
// makes, byte for byte.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "common/install_record.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string body(reinterpret_cast<const char*>(data), size);
  const std::string sealed = body + "end\t" + Sha256Hex(Sha256Of(body.data(), body.size())) + "\r\n";
  InstallRecord record;
  std::string reason, again;
  if (ParseInstallRecord(sealed, &record, &reason) && (!FormatInstallRecord(record, &again) || again != sealed))
    std::abort();
  return 0;
}
