// Qelta_wavelet: TWavelet1D. Haar by hand; GSL's periodic transforms as references where their tap
// alignment is ours (Haar, and D4 in GSL's centred form); reconstruction, energy and vanishing moments
// at every order and depth; all extension modes at every length; the symmetric extension against a
// reference that mirrors the signal with period 2n.
#include <gsl/gsl_wavelet.h>
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "Assertions.h"
#include "Qelta_wavelet.h"

using namespace qelta;

namespace {

using Signal = std::vector<long double>;

// A component named "WL" of order k holding the signal.
struct TWl {
  TWavelet1D w{nullptr};
  TWl(const Signal& x, int k, TWLSigExtMode mode = wseWrap) {
    w.SetName(u"WL");
    w.SetNumData(static_cast<int>(x.size()));
    w.SetOrder(k);
    w.SetSigExtMode(mode);
    for (std::size_t i = 0; i < x.size(); ++i) w.SetDataVal(static_cast<int>(i + 1), x[i]);
  }
  Signal Data() const {
    Signal x(static_cast<std::size_t>(w.Size()));
    for (int i = 1; i <= w.Size(); ++i) x[static_cast<std::size_t>(i - 1)] = w.GetDataVal(i);
    return x;
  }
};

Signal RandomSignal(int n, unsigned seed) {
  std::mt19937_64 gen(seed);
  std::uniform_real_distribution<double> u(-1, 1);
  Signal x(static_cast<std::size_t>(n));
  for (auto& v : x) v = u(gen);
  return x;
}

long double Energy(const Signal& x) {
  long double e = 0;
  for (long double v : x) e += v * v;
  return e;
}

long double MaxDiff(const Signal& a, const Signal& b) {
  long double d = 0;
  for (std::size_t i = 0; i < a.size(); ++i) d = std::max(d, std::fabs(a[i] - b[i]));
  return d;
}

}  // namespace

// [SECTION] filters and properties

TEST(TWavelet1D, FiltersAreThePublishedDaubechiesFilters) {
  const std::vector<std::vector<double>> published = {
      {0.7071067811865476, 0.7071067811865476},
      {0.48296291314453416, 0.8365163037378079, 0.2241438680420134, -0.12940952255126037},
      {0.33267055295008263, 0.8068915093110925, 0.45987750211849154, -0.13501102001025458, -0.08544127388202666,
       0.03522629188570953}};
  for (int k = 1; k <= 3; ++k) {
    const std::vector<Extended> h = num_detail::DaubechiesLowPass(k);
    ASSERT_EQ(h.size(), static_cast<std::size_t>(2 * k));  // order 1 gives two taps
    long double sum = 0, squares = 0;
    for (std::size_t m = 0; m < h.size(); ++m) {
      EXPECT_DOUBLE_EQ(static_cast<double>(h[m]), published[static_cast<std::size_t>(k - 1)][m]) << k << " " << m;
      sum += h[m], squares += h[m] * h[m];
    }
    EXPECT_NEAR(static_cast<double>(sum), std::sqrt(2.0), 1e-18);
    EXPECT_NEAR(static_cast<double>(squares), 1.0, 1e-18);
  }
  EXPECT_TRUE(num_detail::DaubechiesLowPass(4).empty());
}

TEST(TWavelet1D, StartsWith256ZeroSamplesWrapAndOrderTwo) {
  TWavelet1D w(nullptr);
  EXPECT_EQ(w.Size(), 256);
  EXPECT_EQ(w.Order(), 2);
  EXPECT_EQ(w.SignalExtMode(), wseWrap);
  EXPECT_EQ(w.WaveletFamily(), wlfDaubechies);
  EXPECT_EQ(w.GetDataVal(256), 0.0L);
}

TEST(TWavelet1D, RefusedSizesAndOrdersKeepTheOldOnes) {
  TWavelet1D w(nullptr);
  w.SetName(u"WL");
  for (int n : {0, 3, 100, (1 << 24) + 1, -2147483647}) {
    EXPECT_THROW_MSG(w.SetNumData(n), EQeltaWaveletError, "Component \"WL\": data length must be power of 2");
    EXPECT_EQ(w.Size(), 256);
  }
  for (int k : {0, 4, -1}) {
    EXPECT_THROW_MSG(w.SetOrder(k), EQeltaWaveletError, "Component \"WL\": invalid order of Daubechies wavelet family");
    EXPECT_EQ(w.Order(), 2);
  }
  w.SetDataVal(3, 7);
  w.SetNumData(8);  // zeroed
  EXPECT_EQ(w.GetDataVal(3), 0.0L);
  w.SetDataVal(0, 1), w.SetDataVal(9, 1);
  EXPECT_EQ(w.GetDataVal(0), 0.0L);
  EXPECT_EQ(w.GetDataVal(9), 0.0L);
  w.SetDataVal(2, 5);
  w.Clear();
  EXPECT_EQ(w.GetDataVal(2), 0.0L);
}

// [SECTION] transforms

TEST(TWavelet1D, HaarByHand) {
  TWl two({1, 1}, 1);
  two.w.Transform(1);
  EXPECT_NEAR(static_cast<double>(two.w.GetDataVal(1)), std::sqrt(2.0), 1e-18);
  EXPECT_EQ(two.w.GetDataVal(2), 0.0L);
  two.w.InverseTransform(1);
  EXPECT_NEAR(static_cast<double>(two.w.GetDataVal(1)), 1.0, 1e-18);
  EXPECT_NEAR(static_cast<double>(two.w.GetDataVal(2)), 1.0, 1e-18);
  // Four samples, full depth: the mean times 2, the difference of the halves, the pair differences.
  const long double r = std::sqrt(2.0L);
  TWl four({4, 2, 5, 1}, 1);
  four.w.Transform(2);
  const Signal expected = {6, 0, 2 / r, 4 / r};  // ((4+2+5+1)/2, ((4+2)-(5+1))/2, (4-2)/r, (5-1)/r)
  EXPECT_LE(MaxDiff(four.Data(), expected), 1e-18L);
}

TEST(TWavelet1D, AgreesWithGslWhereTheTapsAlign) {
  // GSL's periodic transforms align Haar as we do and D4 in its centred form.
  const struct {
    int order;
    const gsl_wavelet_type* type;
  } cases[] = {{1, gsl_wavelet_haar}, {2, gsl_wavelet_daubechies_centered}};
  for (const auto& c : cases)
    for (int n : {2, 4, 8, 64, 1024}) {
      const Signal x = RandomSignal(n, static_cast<unsigned>(n));
      std::vector<double> ref(x.begin(), x.end());
      gsl_wavelet* g = gsl_wavelet_alloc(c.type, static_cast<std::size_t>(2 * c.order));
      gsl_wavelet_workspace* work = gsl_wavelet_workspace_alloc(static_cast<std::size_t>(n));
      gsl_wavelet_transform_forward(g, ref.data(), 1, static_cast<std::size_t>(n), work);
      gsl_wavelet_workspace_free(work);
      gsl_wavelet_free(g);
      TWl ours(x, c.order);
      ours.w.Transform(30);
      for (int i = 0; i < n; ++i)
        EXPECT_NEAR(static_cast<double>(ours.w.GetDataVal(i + 1)), ref[static_cast<std::size_t>(i)], 1e-13)
            << c.order << " " << n << " " << i;
    }
}

TEST(TWavelet1D, WrapReconstructsAndKeepsTheEnergyAtEveryOrderAndDepth) {
  for (int k = 1; k <= 3; ++k)
    for (int n : {1, 2, 4, 8, 32, 256}) {
      const Signal x = RandomSignal(n, static_cast<unsigned>(7 * k + n));
      for (int depth = 1; (1 << depth) <= std::max(n, 2); ++depth) {
        TWl w(x, k);
        // Depth steps, one at a time from the finest: the energy stays at each.
        for (int len = n, s = 0; s < depth && len > 1; ++s, len /= 2) {
          w.w.PartialWLT(len, 0, false);
          EXPECT_NEAR(static_cast<double>(Energy(w.Data())), static_cast<double>(Energy(x)), 1e-15 * n)
              << k << " " << n << " " << depth;
        }
        // Undone level by level from the coarsest reached.
        for (int len = std::max(n >> (depth - 1), 2); len <= n; len *= 2) w.w.PartialWLT(len, 0, true);
        EXPECT_LE(MaxDiff(w.Data(), x), 1e-17L * n) << k << " " << n << " " << depth;
      }
      TWl full(x, k);
      full.w.Transform(40);
      full.w.InverseTransform(40);
      EXPECT_LE(MaxDiff(full.Data(), x), 1e-17L * n) << k << " " << n;
    }
}

TEST(TWavelet1D, PartialInverseStartsAtTheCoarsestLevel) {
  // Transform(1) is one step on all N samples; InverseTransform(1) one step on the first 2 only, so
  // it does not undo it (a complete decomposition is undone by the same Level).
  const Signal x = RandomSignal(8, 3);
  TWl w(x, 2);
  w.w.Transform(1);
  TWl single(x, 2);
  single.w.SingleStep(false);
  EXPECT_EQ(w.Data(), single.Data());
  const Signal once = w.Data();
  w.w.InverseTransform(1);
  EXPECT_GT(MaxDiff(w.Data(), x), 0.1L);
  for (int i = 3; i <= 8; ++i) EXPECT_EQ(w.w.GetDataVal(i), once[static_cast<std::size_t>(i - 1)]);
  TWl zero(x, 2);
  zero.w.Transform(0);  // counts as 1
  EXPECT_EQ(zero.Data(), single.Data());
}

TEST(TWavelet1D, OrderKGivesZeroDetailsOnPolynomialsBelowDegreeK) {
  // Details l whose taps start at or after the first sample (l >= K - 1) vanish.
  for (int k = 1; k <= 3; ++k)
    for (int degree = 0; degree < k; ++degree)
      for (TWLSigExtMode mode : {wseWrap, wseZeroPad, wseSymmetric}) {
        Signal x(32);
        for (int i = 0; i < 32; ++i) x[static_cast<std::size_t>(i)] = std::pow(0.25L * i - 3, degree) + 2;
        TWl w(x, k, mode);
        w.w.SingleStep(false);
        for (int l = k - 1; l < 16; ++l)
          EXPECT_NEAR(static_cast<double>(w.w.GetDataVal(17 + l)), 0.0, 1e-15) << k << " " << degree << " " << l;
      }
}

TEST(TWavelet1D, EveryModeAtEveryLengthStaysInsideItsSamples) {
  // Regression: the symmetric mirror -t - 1 left the step's n samples when the taps reached back
  // further than n (order 3 at n = 2 mirrored t = -4, -3 to 3 and 2: the forward step read stale
  // values, the inverse wrote past its scratch). The reference mirrors the signal with period 2n.
  auto mirrored = [](const Signal& x, int t) {
    const int n = static_cast<int>(x.size()), r = ((t % (2 * n)) + 2 * n) % (2 * n);
    return x[static_cast<std::size_t>(r < n ? r : 2 * n - 1 - r)];
  };
  for (int k = 1; k <= 3; ++k)
    for (int n = 1; n <= 64; n *= 2) {
      const Signal x = RandomSignal(n, static_cast<unsigned>(n + k));
      for (TWLSigExtMode mode : {wseWrap, wseZeroPad, wseSymmetric}) {
        TWl w(x, k, mode);
        w.w.Transform(20);
        w.w.InverseTransform(20);
        for (long double v : w.Data()) EXPECT_TRUE(std::isfinite(v));
      }
      if (n < 2) continue;
      TWl sym(x, k, wseSymmetric);
      sym.w.SingleStep(false);
      const std::vector<Extended> h = num_detail::DaubechiesLowPass(k);
      const int taps = 2 * k;
      for (int l = 0; l < n / 2; ++l) {
        long double a = 0, d = 0;
        for (int m = 0; m < taps; ++m) {
          const long double v = mirrored(x, 2 * l + m + 2 - taps);
          a += h[static_cast<std::size_t>(m)] * v;
          d += (m % 2 == 0 ? 1 : -1) * h[static_cast<std::size_t>(taps - 1 - m)] * v;  // g[m] = (-1)^m h[L-1-m]
        }
        EXPECT_NEAR(static_cast<double>(sym.w.GetDataVal(l + 1)), static_cast<double>(a), 1e-15) << k << " " << n;
        EXPECT_NEAR(static_cast<double>(sym.w.GetDataVal(n / 2 + l + 1)), static_cast<double>(d), 1e-15) << k << " " << n;
      }
    }
}

TEST(TWavelet1D, ZeroPaddingSkipsTheTapsBeforeTheSignal) {
  // D4 on four samples: output 0 takes taps at -2..1, of which only 0 and 1 exist.
  const Signal x = {1, 2, 3, 4};
  TWl w(x, 2, wseZeroPad);
  w.w.SingleStep(false);
  const std::vector<Extended> h = num_detail::DaubechiesLowPass(2);
  EXPECT_NEAR(static_cast<double>(w.w.GetDataVal(1)), static_cast<double>(h[2] * 1 + h[3] * 2), 1e-18);
  EXPECT_NEAR(static_cast<double>(w.w.GetDataVal(2)), static_cast<double>(h[0] * 1 + h[1] * 2 + h[2] * 3 + h[3] * 4),
              1e-18);
}

TEST(TWavelet1D, PartialStepOutsideTheSignalDoesNothing) {
  const Signal x = RandomSignal(8, 9);
  TWl w(x, 1);
  w.w.PartialWLT(4, 5, false);  // 5 + 4 > 8
  w.w.PartialWLT(1, 0, false);
  w.w.PartialWLT(4, -1, false);
  EXPECT_EQ(w.Data(), x);
  w.w.PartialWLT(4, 4, false);  // the second half only
  for (int i = 1; i <= 4; ++i) EXPECT_EQ(w.w.GetDataVal(i), x[static_cast<std::size_t>(i - 1)]);
  EXPECT_NEAR(static_cast<double>(w.w.GetDataVal(5)), static_cast<double>((x[4] + x[5]) / std::sqrt(2.0L)), 1e-18);
}
