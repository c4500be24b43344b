#include "msg/clock.h"

#include <cstdio>

namespace {
std::function<LocalTime()>& Clock() {
  static std::function<LocalTime()> clock;
  return clock;
}
}  // namespace

LocalTime ClockNow() {
  if (Clock()) return Clock()();
  const std::tm parts = LocalParts(std::time(nullptr));
  return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
          parts.tm_hour,        parts.tm_min,     parts.tm_sec};
}

void SetClock(std::function<LocalTime()> clock) { Clock() = std::move(clock); }

std::string FormatTimeStamp(const LocalTime& t) {
  // Room for any int in each field: a broken clock must not overflow it.
  char text[96];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d ", t.year, t.month, t.day,
                t.hour, t.minute, t.second);
  return text;
}
