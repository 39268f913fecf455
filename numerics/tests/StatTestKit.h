#pragma once
// Helpers of the statistical-test tests: vectors from lists, and samples of known distributions from
// a fixed-seed generator (the same numbers on every machine: uniform from the top 53 bits of
// mt19937_64, normal by Box-Muller, exponential by inversion).

#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <vector>

#include "Qelta_vector.h"

namespace qelta::test {

/// Fills v with the values (resized to their count).
inline void Load(TVector& v, const std::vector<double>& values) {
  v.Resize(static_cast<int>(values.size()));
  for (std::size_t i = 0; i < values.size(); ++i) v.SetVal(static_cast<int>(i + 1), values[i]);
}

/// Elements 1..NrOfElem of v.
inline std::vector<double> Values(const TVector& v) {
  std::vector<double> x;
  for (int i = 1; i <= v.NrOfElem(); ++i) x.push_back(v.GetVal(i));
  return x;
}

/// Samples of known distributions from a seeded generator.
class TSampler {
 public:
  explicit TSampler(uint64_t seed) : FGen(seed) {}
  /// Uniform in (0, 1).
  double Uniform() { return (static_cast<double>(FGen() >> 11) + 0.5) * 0x1p-53; }
  /// Standard normal.
  double Normal() {
    const double u = Uniform(), v = Uniform();
    return std::sqrt(-2 * std::log(u)) * std::cos(2 * std::numbers::pi * v);
  }
  /// Exponential with mean 1.
  double Exponential() { return -std::log(Uniform()); }
  /// n values of draw().
  template <typename Draw>
  std::vector<double> Sample(int n, Draw draw) {
    std::vector<double> x(static_cast<std::size_t>(n));
    for (double& v : x) v = draw(*this);
    return x;
  }
  std::vector<double> Normals(int n) {
    return Sample(n, [](TSampler& s) { return s.Normal(); });
  }
  std::vector<double> Exponentials(int n) {
    return Sample(n, [](TSampler& s) { return s.Exponential(); });
  }

 private:
  std::mt19937_64 FGen;
};

}  // namespace qelta::test
