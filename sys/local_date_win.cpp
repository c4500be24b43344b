#include <windows.h>

#include <cstdio>

#include "sys/local_date.h"

std::string LocalDateYyyymmdd() {
  SYSTEMTIME now = {};
  GetLocalTime(&now);
  char text[16];
  std::snprintf(text, sizeof text, "%04u%02u%02u", now.wYear, now.wMonth, now.wDay);
  return text;
}
