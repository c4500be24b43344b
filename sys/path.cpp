#include "sys/path.h"

namespace {
size_t LastDelimiter(const std::string& path) { return path.find_last_of("\\:"); }
}  // namespace

std::string AddBackslash(const std::string& path) {
  if (path.empty() || path.back() == '\\') return path;
  return path + "\\";
}

std::string StripBackslash(const std::string& path) {
  if (!path.empty() && path.back() == '\\') return path.substr(0, path.size() - 1);
  return path;
}

bool IsAbsolutePath(const std::string& path) {
  auto separator = [](char c) { return c == '\\' || c == '/'; };
  if (path.size() >= 2 && separator(path[0]) && separator(path[1])) return true;
  const char drive = static_cast<char>(path.empty() ? 0 : path[0] | 0x20);
  return path.size() >= 3 && drive >= 'a' && drive <= 'z' && path[1] == ':' && separator(path[2]);
}

std::string PathRoot(const std::string& path) {
  if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2) + "\\";
  const size_t server = path.find('\\', 2);
  const size_t share = server == std::string::npos ? server : path.find('\\', server + 1);
  return AddBackslash(path.substr(0, share));
}

std::string ExtractFileName(const std::string& path) {
  size_t d = LastDelimiter(path);
  return d == std::string::npos ? path : path.substr(d + 1);
}

std::string ExtractFilePath(const std::string& path) {
  size_t d = LastDelimiter(path);
  return d == std::string::npos ? std::string() : path.substr(0, d + 1);
}

std::string ChangeFileExt(const std::string& path, const std::string& ext) {
  size_t d = LastDelimiter(path);
  size_t start = d == std::string::npos ? 0 : d + 1;
  size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot < start) return path + ext;
  return path.substr(0, dot) + ext;
}
