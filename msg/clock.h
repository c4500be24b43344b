// The local time the message summaries are stamped with. Tests set a fixed
// clock; the program leaves the system's.
#pragma once
#include <ctime>
#include <functional>
#include <string>

struct LocalTime {
  int year = 0;
  int month = 0;   // 1-12
  int day = 0;     // 1-31
  int hour = 0;    // 0-23
  int minute = 0;
  int second = 0;
};

// The current local time of the clock in use.
LocalTime ClockNow();
// Replaces the clock; an empty function restores the system's.
void SetClock(std::function<LocalTime()> clock);
// "yyyy-mm-dd hh:nn:ss " (24-hour clock, trailing blank).
std::string FormatTimeStamp(const LocalTime& time);
// The calendar parts of a moment in the local time zone (platform part).
std::tm LocalParts(std::time_t moment);
