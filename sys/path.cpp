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
