#include "sys/durable_file.h"
#include "sys/wide.h"

bool DurableFile::Open(const std::string& path, bool truncate) {
  file_.Reset(CreateFileW(Widen(path).c_str(), FILE_APPEND_DATA | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                          truncate ? CREATE_ALWAYS : OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  return file_.Valid();
}

bool DurableFile::Append(const std::string& bytes) {
  if (!file_) return false;
  LARGE_INTEGER end = {};
  DWORD written = 0;
  return SetFilePointerEx(file_.Get(), end, nullptr, FILE_END) &&
         WriteFile(file_.Get(), bytes.data(), DWORD(bytes.size()), &written, nullptr) &&
         written == bytes.size() && FlushFileBuffers(file_.Get());
}
