#pragma once
// The figures every timing program reports: a median and the tail of its measurements.
#include <algorithm>
#include <vector>

namespace kt90::bench {

// The value below which a share `q` (0 to 1) of the measurements lie; 0 for none.
inline double quantile(std::vector<double> values, double q) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const auto at = static_cast<std::size_t>(q * static_cast<double>(values.size() - 1) + 0.5);
  return values[std::min(values.size() - 1, at)];
}

inline double median(const std::vector<double>& values) { return quantile(values, 0.5); }

}  // namespace kt90::bench
