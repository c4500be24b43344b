#include "common/left_report.h"

#include <string>

namespace {
constexpr size_t kShown = 10;
const char kIndent[] = "      ";
}  // namespace

Lines LeftReport(const Lines& left) {
  Lines lines;
  for (size_t i = 0; i < left.size() && i < kShown; ++i) lines.push_back(kIndent + left[i]);
  if (left.size() > kShown) lines.push_back(kIndent + ("and " + std::to_string(left.size() - kShown) + " more"));
  return lines;
}
