#include <windows.h>

#include <algorithm>

#include "sys/exception.h"
#include "sys/files.h"
#include "sys/handle.h"
#include "sys/wide.h"

namespace {
// Whole-file reads and writes go in pieces: ReadFile/WriteFile take 32-bit counts.
constexpr DWORD kPiece = 1 << 20;

std::string ReadWhole(const std::string& path) {
  UniqueHandle file(CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) throw EFOpenError("Cannot open file " + path);
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.Get(), &size)) throw Exception("Stream read error");
  if (static_cast<unsigned long long>(size.QuadPart) > std::string().max_size())
    throw Exception("Stream read error");
  std::string content(static_cast<size_t>(size.QuadPart), '\0');
  size_t done = 0;
  while (done < content.size()) {
    DWORD want = static_cast<DWORD>(std::min<size_t>(kPiece, content.size() - done));
    DWORD got = 0;
    if (!ReadFile(file.Get(), &content[done], want, &got, nullptr)) throw Exception("Stream read error");
    if (got == 0) break;  // the file shrank meanwhile: keep what was there
    done += got;
  }
  content.resize(done);
  return content;
}

void WriteWhole(const std::string& path, const std::string& content) {
  UniqueHandle file(CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) throw EFCreateError("Cannot create file " + path);
  size_t done = 0;
  while (done < content.size()) {
    DWORD want = static_cast<DWORD>(std::min<size_t>(kPiece, content.size() - done));
    DWORD put = 0;
    if (!WriteFile(file.Get(), content.data() + done, want, &put, nullptr) || put == 0)
      throw Exception("Stream write error");
    done += put;
  }
}
}  // namespace

void CopyFileViaMemory(const std::string& dest, const std::string& source) {
  if (!FileExists(source)) return;
  WriteWhole(dest, ReadWhole(source));
}
