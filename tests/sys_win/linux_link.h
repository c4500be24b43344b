// A Linux symbolic link to a file or folder, made and removed by the Linux
// tools: Wine's stand-in for a junction or a symbolic link, which it follows
// and shows as a plain file or folder, and can neither make nor delete.
#pragma once
#include <string>

class LinuxLink {
 public:
  LinuxLink(const std::string& link, const std::string& target);
  ~LinuxLink();
  LinuxLink(const LinuxLink&) = delete;
  LinuxLink& operator=(const LinuxLink&) = delete;

 private:
  std::string link_, unixLink_;
};
