// A mutex other processes find by its name: one holder at a time.
#pragma once
#include <string>

#include "sys/handle.h"

class NamedMutex {
 public:
  // Takes the mutex without waiting; Held() tells whether it was free. One
  // left by a process that died is free.
  explicit NamedMutex(const std::string& name);
  bool Held() const { return held_; }
  ~NamedMutex();
  NamedMutex(const NamedMutex&) = delete;
  NamedMutex& operator=(const NamedMutex&) = delete;

 private:
  UniqueHandle handle_;
  bool held_ = false;
};

// The current user's security identifier ("S-1-5-21-..."); empty when the
// system does not give it.
std::string CurrentUserSid();
