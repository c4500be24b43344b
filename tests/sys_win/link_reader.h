// Test support: reads a saved shortcut (.LNK) back through the shell's own
// link object, to check what a program wrote. Texts are UTF-8.
#pragma once
#include <gtest/gtest.h>

#include <string>

struct ShellLinkFields {
  std::string path, workingDir, description, iconFile, arguments;
  int iconIndex = -1;
};

::testing::AssertionResult ReadShellLink(const std::string& file, ShellLinkFields* out);
