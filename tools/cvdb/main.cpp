#include <iostream>
#include <string>
#include <vector>

#include "tools/cvdb/binary_stdio.h"
#include "tools/cvdb/cvdb.h"

int main(int argc, char** argv) {
  UseBinaryStdio();
  std::vector<std::string> args(argv + 1, argv + argc);
  int code = RunCvdb(args, std::cin, std::cout, std::cerr);
  std::cout.flush();
  return code;
}
