// Test support: a fresh folder under the temporary folder, removed with all it
// holds (attributes cleared first) when the test ends. Paths are UTF-8.
#pragma once
#include <windows.h>

#include <string>

#include "sys/lines.h"

class ScratchDir {
 public:
  explicit ScratchDir(const std::string& name);
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  // The folder, ending in "\".
  const std::string& Path() const { return path_; }
  // Path() + relative.
  std::string operator/(const std::string& relative) const { return path_ + relative; }

 private:
  std::string path_;
};

// A Linux symbolic link to a folder or a file, made and removed by the Linux
// tools: Wine's stand-in for a junction or a file link, followed by the shell
// and the file functions, which can neither make nor delete one (deleting it
// deletes what it leads to). Let it go before the folder holding it.
class LinuxLink {
 public:
  LinuxLink(const std::string& link, const std::string& target);
  ~LinuxLink();
  LinuxLink(const LinuxLink&) = delete;
  LinuxLink& operator=(const LinuxLink&) = delete;

 private:
  std::string link_, unixLink_;
};

// Writes content to path (replacing it); fails the test when it cannot.
void WriteTextFile(const std::string& path, const std::string& content);
// The whole content of path, or "<missing>".
std::string ReadTextFile(const std::string& path);
// Sorted names of the entries of folder (ending in "\"), "." and ".." left
// out; subfolders end in "\".
Lines FolderNames(const std::string& folder);
// Creates a folder; fails the test when it cannot.
void MakeDir(const std::string& path);
// The directory of the running test program, ending in "\".
std::string TestProgramDir();
// The quoted path of the test console program followed by arguments.
std::string ChildCommand(const std::string& arguments);
