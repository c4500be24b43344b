#include "sys/file_stream.h"

std::string FileStream::HeldMessage(const std::string& fileName) {
  // Whole seconds as such, anything shorter (tests wait less) in decimals.
  const int ms = LockWait();
  std::string wait = std::to_string(ms / 1000);
  if (ms % 1000 != 0) {
    std::string fraction = std::to_string(1000 + ms % 1000).substr(1);
    while (fraction.back() == '0') fraction.pop_back();
    wait += "." + fraction;
  }
  return "File " + fileName + " is in use by another program (waited " + wait +
         (ms == 1000 ? " second)" : " seconds)");
}
