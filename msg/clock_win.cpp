#include "msg/clock.h"

std::tm LocalParts(std::time_t moment) {
  std::tm parts{};
  localtime_s(&parts, &moment);
  return parts;
}
