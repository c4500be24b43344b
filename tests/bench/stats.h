// What the benchmarks print of a series of measurements.
#pragma once
#include <algorithm>
#include <vector>

namespace bench {

// The middle value; of an even count, the mean of the two middle ones.
inline double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

struct Spread {
  double min = 0, median = 0, max = 0;
};

inline Spread SpreadOf(const std::vector<double>& v) {
  if (v.empty()) return {};
  const auto [lo, hi] = std::minmax_element(v.begin(), v.end());
  return {*lo, Median(v), *hi};
}

}  // namespace bench
