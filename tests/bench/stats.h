// What the benchmarks print of a series of measurements.
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
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

// How far the ratio of the medians of a and b (paired by round: a[i] and
// b[i] ran under the same load) can be trusted: its 5th and 95th percentiles
// over rounds drawn again at random with replacement (a fixed seed: the same
// samples give the same interval).
struct Interval {
  double low = 0, high = 0;
};

inline Interval RatioInterval(const std::vector<double>& a, const std::vector<double>& b) {
  const size_t n = std::min(a.size(), b.size());
  if (n == 0) return {};
  constexpr int kDraws = 2000;
  uint32_t state = 12345;
  std::vector<double> ratios, x(n), y(n);
  for (int draw = 0; draw < kDraws; ++draw) {
    for (size_t i = 0; i < n; ++i) {
      state = state * 1664525u + 1013904223u;
      const size_t pick = (state >> 8) % n;
      x[i] = a[pick];
      y[i] = b[pick];
    }
    const double below = Median(y);
    if (below > 0) ratios.push_back(Median(x) / below);
  }
  if (ratios.empty()) return {};
  std::sort(ratios.begin(), ratios.end());
  return {ratios[ratios.size() * 5 / 100], ratios[ratios.size() * 95 / 100]};
}

// 1,234,567.
inline std::string Thousands(uint64_t n) {
  std::string digits = std::to_string(n), out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

// "min / **median** / max".
inline std::string SpreadText(const std::vector<double>& v) {
  const Spread s = SpreadOf(v);
  char text[96];
  std::snprintf(text, sizeof text, "%.0f / **%.0f** / %.0f", s.min, s.median, s.max);
  return text;
}

// The ratio of the medians with its interval over rounds drawn again.
inline std::string RatioText(const std::vector<double>& a, const std::vector<double>& b) {
  const Interval i = RatioInterval(a, b);
  char text[64];
  std::snprintf(text, sizeof text, "**%.2f** (%.2f-%.2f)", Median(a) / Median(b), i.low, i.high);
  return text;
}

}  // namespace bench
