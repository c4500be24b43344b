// Registry values as an install writes them: a list of names with a string or
// a 32-bit integer each, written and checked in one place.
#pragma once
#include <string>
#include <vector>

struct SettingValue {
  enum class Kind {
    Ansi,     // a string the client reads: its ANSI bytes, as they are
    Text,     // a string Windows reads: UTF-8 text, stored whole
    Integer,  // REG_DWORD
  };
  std::string name;
  Kind kind = Kind::Ansi;
  std::string text;  // when a string
  int number = 0;    // when an integer
};
using SettingValues = std::vector<SettingValue>;

inline SettingValue StringValue(std::string name, std::string ansi) {
  return SettingValue{std::move(name), SettingValue::Kind::Ansi, std::move(ansi), 0};
}
inline SettingValue TextValue(std::string name, std::string text) {
  return SettingValue{std::move(name), SettingValue::Kind::Text, std::move(text), 0};
}
inline SettingValue IntegerValue(std::string name, int number) {
  return SettingValue{std::move(name), SettingValue::Kind::Integer, std::string(), number};
}
