#include "sys/durable_file.h"

#include "sys/reached_win.h"
#include "sys/wide.h"

namespace {

const DWORD kAccess = FILE_APPEND_DATA | GENERIC_WRITE | DELETE;

}  // namespace

bool DurableFile::Create(const std::string& path, size_t parts) {
  file_.Reset(CreateFileW(Widen(path).c_str(), kAccess, FILE_SHARE_READ, nullptr, CREATE_NEW,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file_ || ReachedAsNamed(file_.Get(), path, parts)) return file_.Valid();
  FILE_DISPOSITION_INFO disposition = {TRUE};
  SetFileInformationByHandle(file_.Get(), FileDispositionInfo, &disposition, sizeof disposition);
  file_.Reset();
  return false;
}

bool DurableFile::Reopen(const std::string& path, size_t parts, uint64_t length) {
  file_.Reset(CreateFileW(Widen(path).c_str(), kAccess, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER end;
  end.QuadPart = static_cast<LONGLONG>(length);
  if (file_ && ReachedAsNamed(file_.Get(), path, parts) &&
      SetFilePointerEx(file_.Get(), end, nullptr, FILE_BEGIN) && SetEndOfFile(file_.Get()) &&
      FlushFileBuffers(file_.Get()))
    return true;
  file_.Reset();
  return false;
}

bool DurableFile::Append(const std::string& bytes) {
  if (!file_) return false;
  LARGE_INTEGER end = {};
  DWORD written = 0;
  return SetFilePointerEx(file_.Get(), end, nullptr, FILE_END) &&
         WriteFile(file_.Get(), bytes.data(), DWORD(bytes.size()), &written, nullptr) &&
         written == bytes.size() && FlushFileBuffers(file_.Get());
}
