// Registry values as an install writes them: a list of names with a string or
// a 32-bit integer each, written and checked in one place.
#pragma once
#include <string>
#include <vector>

struct SettingValue {
  std::string name;
  bool isInteger = false;
  std::string text;  // when a string
  int number = 0;    // when an integer
};
using SettingValues = std::vector<SettingValue>;

inline SettingValue StringValue(std::string name, std::string text) {
  return SettingValue{std::move(name), false, std::move(text), 0};
}
inline SettingValue IntegerValue(std::string name, int number) {
  return SettingValue{std::move(name), true, std::string(), number};
}
