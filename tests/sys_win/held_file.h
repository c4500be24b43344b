// Test support: a file held open with share mode 0, as a running program
// holds its own files, until the object goes or Release is called.
#pragma once
#include <windows.h>

#include <string>

class HeldFile {
 public:
  explicit HeldFile(const std::string& path);
  ~HeldFile() { Release(); }
  HeldFile(const HeldFile&) = delete;
  HeldFile& operator=(const HeldFile&) = delete;
  bool Held() const { return handle_ != INVALID_HANDLE_VALUE; }
  void Release();

 private:
  HANDLE handle_;
};
