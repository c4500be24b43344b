#include <iostream>
#include <string>
#include <vector>

#include "tools/cvpack/cvpack.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return RunCvpack(args, std::cout, std::cerr);
}
