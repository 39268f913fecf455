// Qelta_fourier: TFastFourier. FFTW's backward transform (the same kernel exp(+2 pi i jk / N)) is the
// reference of the spectra; windows, spectrum queries and their edge cases against hand values.
#include <fftw3.h>
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <random>
#include <vector>

#include "Assertions.h"
#include "Qelta_fourier.h"
#include "Qelta_fourier_internal.h"
#include "Qelta_linalg_internal.h"

using namespace qelta;

namespace {

using Cplx = std::complex<double>;

// A component named "FFT" of n random samples.
struct TBlock {
  TFastFourier f{nullptr};
  std::vector<Cplx> x;
  explicit TBlock(int n, unsigned seed = 1) {
    f.SetName(u"FFT");
    f.SetNumData(n);
    std::mt19937_64 gen(seed);
    std::uniform_real_distribution<double> u(-1, 1);
    for (int i = 1; i <= n; ++i) {
      x.emplace_back(u(gen), u(gen));
      f.SetRealVal(i, x.back().real());
      f.SetImagVal(i, x.back().imag());
    }
  }
  Cplx At(int k) const { return {f.GetRealVal(k + 1), f.GetImagVal(k + 1)}; }
};

// FFTW's backward transform of x (unnormalised, exp(+2 pi i jk / N)).
std::vector<Cplx> Fftw(const std::vector<Cplx>& x) {
  const int n = static_cast<int>(x.size());
  std::vector<Cplx> y(x);
  auto* p = reinterpret_cast<fftw_complex*>(y.data());
  fftw_plan plan = fftw_plan_dft_1d(n, p, p, FFTW_BACKWARD, FFTW_ESTIMATE);
  fftw_execute(plan);
  fftw_destroy_plan(plan);
  return y;
}

// Runs a test body on every instruction level of the butterflies.
template <typename Fn>
void OnEveryLevel(Fn&& fn) {
  const int saved = num_detail::KernelLevel();
  for (int level = 0; level <= num_detail::SetKernelLevel(2); ++level) {
    SCOPED_TRACE("kernel level " + std::to_string(level));
    num_detail::SetKernelLevel(level);
    fn();
  }
  num_detail::SetKernelLevel(saved);
}

}  // namespace

// [SECTION] sizes

TEST(TFastFourier, StartsWith256ZeroSamplesRectangleAndUnitWeights) {
  TFastFourier f(nullptr);
  EXPECT_EQ(f.SpectrumSize(), 256);
  EXPECT_EQ(f.WeightingWindow(), fwRectangle);
  EXPECT_EQ(f.GetRealVal(256), 0.0);
  EXPECT_EQ(f.GetWgtVal(1), 1.0);
  EXPECT_EQ(f.GetWgtVal(256), 1.0);
}

TEST(TFastFourier, AcceptsExactlyThePowersOfTwoUpTo2To23) {
  // Regression: the size test looked at the lowest 24 bits only, so 2^24 + 1 and a negative length
  // with one low bit set passed and the bit reversal indexed outside the block.
  const struct {
    int n;
    bool valid;
  } cases[] = {{1, true},         {2, true},           {1024, true},       {1 << 23, true},   {0, false},
               {3, false},        {100, false},        {1 << 24, false},   {(1 << 24) + 1, false},
               {-1, false},       {-2147483647, false}, {-(1 << 23), false}};
  for (const auto& c : cases) EXPECT_EQ(num_detail::ValidTransformLength(c.n), c.valid) << c.n;
  TFastFourier f(nullptr);
  f.SetName(u"FFT");
  for (int n : {100, (1 << 24) + 1, -2147483647, 0}) {
    EXPECT_THROW_MSG(f.SetNumData(n), EQeltaFourierError, "Component \"FFT\": data length must be power of 2");
    EXPECT_EQ(f.SpectrumSize(), 256);  // the old block stays
  }
  f.SetNumData(1);
  EXPECT_EQ(f.SpectrumSize(), 1);
}

TEST(TFastFourier, SetNumDataZeroesSamplesAndUserWeights) {
  TBlock b(16);
  b.f.SetNumData(8);
  for (int i = 1; i <= 8; ++i) {
    EXPECT_EQ(b.f.GetRealVal(i), 0.0);
    EXPECT_EQ(b.f.GetWgtVal(i), 0.0);
  }
  // Until weights are set, fwUserDef transforms to all zeros.
  for (int i = 1; i <= 8; ++i) b.f.SetRealVal(i, i), b.f.SetImagVal(i, -i);
  b.f.SetWgtWin(fwUserDef);
  b.f.Transform();
  for (int i = 1; i <= 8; ++i) {
    EXPECT_EQ(b.f.GetRealVal(i), 0.0);
    EXPECT_EQ(b.f.GetImagVal(i), 0.0);
  }
}

TEST(TFastFourier, ReadsOutsideAnswerZeroAndWritesThereAreIgnored) {
  TBlock b(4);
  b.f.SetRealVal(0, 9), b.f.SetRealVal(5, 9), b.f.SetImagVal(-1, 9), b.f.SetWgtVal(5, 9);
  EXPECT_EQ(b.f.GetRealVal(0), 0.0);
  EXPECT_EQ(b.f.GetImagVal(5), 0.0);
  EXPECT_EQ(b.f.GetWgtVal(0), 0.0);
  for (int k = 0; k < 4; ++k) EXPECT_EQ(b.At(k), b.x[static_cast<std::size_t>(k)]);
}

// [SECTION] the transform

TEST(TFastFourier, TransformAgreesWithFftwBackwardAtEverySize) {
  OnEveryLevel([] {
    for (int lg = 0; lg <= 17; ++lg) {
      TBlock b(1 << lg, static_cast<unsigned>(lg + 7));
      const std::vector<Cplx> ref = Fftw(b.x);
      b.f.Transform();
      double err = 0, norm = 0;
      for (std::size_t k = 0; k < ref.size(); ++k) {
        err = std::max(err, std::abs(b.At(static_cast<int>(k)) - ref[k]));
        norm = std::max(norm, std::abs(ref[k]));
      }
      EXPECT_LE(err, 2e-15 * norm) << "N = 2^" << lg;
    }
  });
}

TEST(TFastFourier, InverseTransformRestoresTheSamples) {
  OnEveryLevel([] {
    for (int lg : {0, 1, 2, 3, 5, 10, 11, 16}) {
      TBlock b(1 << lg, static_cast<unsigned>(lg));
      b.f.Transform();
      b.f.InverseTransform();
      for (int k = 0; k < (1 << lg); ++k) EXPECT_LE(std::abs(b.At(k) - b.x[static_cast<std::size_t>(k)]), 4e-15);
    }
  });
}

TEST(TFastFourier, TwiddleFactorsAreRoundedValuesOfTheCircle) {
  // Up to 2^16 points a factor is the rounded cosine and sine (half an ulp, and a hair for the
  // extended-precision functions themselves); above, one product of two such values. The reference
  // turns the nearest quarter exactly and takes the functions of the small rest, so that it loses no
  // digits near the axes.
  auto circle = [](int lg, int k, long double& c, long double& s) {
    const long double r = static_cast<long double>(k) / static_cast<long double>(1 << lg);
    const int q = static_cast<int>(std::lround(4 * r));
    const long double a = 2 * std::numbers::pi_v<long double> * (r - q / 4.0L);
    const long double c0 = std::cos(a), s0 = std::sin(a);
    const long double turned[4][2] = {{c0, s0}, {-s0, c0}, {-c0, -s0}, {s0, -c0}};
    c = turned[q % 4][0], s = turned[q % 4][1];
  };
  auto ulp = [](double v) { return std::nextafter(std::fabs(v), 2.0) - std::fabs(v); };
  for (int lg : {3, 12, 16, 20, 23})
    for (int k : {1, 3, 5, (1 << (lg - 1)) - 1, (1 << (lg - 2)) + 1, (1 << lg) - 5}) {
      double c = 0, s = 0;
      long double rc = 0, rs = 0;
      num_detail::FftTwiddle(lg, k, c, s);
      circle(lg, k, rc, rs);
      if (lg <= 16) {
        EXPECT_LE(std::fabs(c - rc), 0.51L * ulp(c)) << lg << " " << k;
        EXPECT_LE(std::fabs(s - rs), 0.51L * ulp(s)) << lg << " " << k;
      } else {
        EXPECT_NEAR(c, static_cast<double>(rc), 3e-16) << lg << " " << k;
        EXPECT_NEAR(s, static_cast<double>(rs), 3e-16) << lg << " " << k;
      }
    }
}

TEST(TFastFourier, ConstantSignalGivesOnlyTheDcLine) {
  TFastFourier f(nullptr);
  f.SetNumData(16);
  for (int i = 1; i <= 16; ++i) f.SetRealVal(i, 2.5);
  f.Transform();
  EXPECT_DOUBLE_EQ(f.GetRealVal(1), 16 * 2.5);
  for (int i = 2; i <= 16; ++i) {
    EXPECT_NEAR(f.GetRealVal(i), 0.0, 1e-14);
    EXPECT_NEAR(f.GetImagVal(i), 0.0, 1e-14);
  }
  EXPECT_DOUBLE_EQ(f.GetPowerSpec(0), 16 * 2.5 * 2.5);
  EXPECT_DOUBLE_EQ(f.GetMagnitude(0), 2.5);
  EXPECT_DOUBLE_EQ(f.GetFSerCos(0), 2.5);
}

// [SECTION] windows

TEST(TFastFourier, WindowWeightsAtChosenSamples) {
  // Samples of 1 + 2i, weighted, transformed and transformed back: the samples then hold 1 + 2i times
  // the weight. x = (a - N/2) / N.
  constexpr int n = 8;
  const double pi = std::numbers::pi;
  auto xOf = [](int a) { return (a - n / 2.0) / n; };
  const struct {
    TFastFourierWgtWin w;
    int a;
    double weight;
  } cases[] = {
      {fwRectangle, 3, 1.0},
      {fwTriangle, 1, 2.0 / 8},
      {fwTriangle, 8, 2.0 / 8},
      {fwTriangle, 4, 8.0 / 8},
      {fwTriangle, 5, 8.0 / 8},
      {fwCos2, 2, std::cos(pi * xOf(2)) * std::cos(pi * xOf(2))},
      {fwGauss, 7, std::exp(-0.5 * 36 * xOf(7) * xOf(7))},
      {fwHamming, 1, 0.543478261 + 0.456521739 * std::cos(2 * pi * xOf(1))},
      {fwBlackman, 6, 0.42659 + 0.49656 * std::cos(2 * pi * xOf(6)) + 0.076848 * std::cos(4 * pi * xOf(6))},
      {fwBlkmHarris, 4,
       0.35875 + 0.48829 * std::cos(2 * pi * xOf(4)) + 0.14128 * std::cos(4 * pi * xOf(4)) +
           0.01168 * std::cos(6 * pi * xOf(4))},
      {fwBlkmNuttall, 8,
       0.3635819 + 0.4891775 * std::cos(2 * pi * xOf(8)) + 0.1365995 * std::cos(4 * pi * xOf(8)) +
           0.0106411 * std::cos(6 * pi * xOf(8))},
  };
  for (const auto& c : cases) {
    TFastFourier f(nullptr);
    f.SetNumData(n);
    for (int i = 1; i <= n; ++i) f.SetRealVal(i, 1), f.SetImagVal(i, 2);
    f.SetWgtWin(c.w);
    f.Transform();
    f.InverseTransform();
    EXPECT_NEAR(f.GetRealVal(c.a), c.weight, 1e-15) << int(c.w) << " " << c.a;
    EXPECT_NEAR(f.GetImagVal(c.a), 2 * c.weight, 2e-15) << int(c.w) << " " << c.a;
  }
}

TEST(TFastFourier, UserWindowUsesTheUserWeights) {
  TFastFourier f(nullptr);
  f.SetNumData(4);
  for (int i = 1; i <= 4; ++i) f.SetRealVal(i, 1), f.SetWgtVal(i, 0.5 * i);
  f.SetWgtWin(fwUserDef);
  f.Transform();
  f.InverseTransform();
  for (int i = 1; i <= 4; ++i) EXPECT_NEAR(f.GetRealVal(i), 0.5 * i, 1e-15);
}

// [SECTION] spectrum queries

TEST(TFastFourier, LineQueriesFollowTheirFormulasAndAnswerZeroOutside) {
  TBlock b(16, 3);
  b.f.Transform();
  const int n = 16;
  auto X = [&](int k) { return b.At(k); };
  for (int k = 1; k <= n / 2; ++k) {
    const Cplx a = X(k), p = X(n - k);
    EXPECT_NEAR(b.f.GetPowerSpec(k), (std::norm(a) + std::norm(p)) / n, 1e-15);
    EXPECT_NEAR(b.f.GetMagnitude(k), std::abs(Cplx(a.real() + p.real(), a.imag() - p.imag())) / n, 1e-15);
    EXPECT_NEAR(b.f.GetFSerCos(k), (a.real() + p.real()) / n, 1e-15);
    EXPECT_NEAR(b.f.GetFSerSin(k), (a.imag() - p.imag()) / n, 1e-15);
    EXPECT_NEAR(b.f.GetPhase(k), std::atan(a.imag() / a.real()), 1e-15);
  }
  EXPECT_NEAR(b.f.GetPowerSpec(0), std::norm(X(0)) / n, 1e-15);
  EXPECT_NEAR(b.f.GetMagnitude(0), std::abs(X(0)) / n, 1e-15);
  EXPECT_NEAR(b.f.GetFSerCos(0), X(0).real() / n, 1e-15);
  // The line N/2 is its own partner: counted twice.
  EXPECT_NEAR(b.f.GetPowerSpec(8), 2 * std::norm(X(8)) / n, 1e-15);
  EXPECT_NEAR(b.f.GetMagnitude(8), 2 * std::fabs(X(8).real()) / n, 1e-15);
  for (int k : {-1, 9, 16}) {
    EXPECT_EQ(b.f.GetPowerSpec(k), 0.0);
    EXPECT_EQ(b.f.GetMagnitude(k), 0.0);
    EXPECT_EQ(b.f.GetFSerCos(k), 0.0);
    EXPECT_EQ(b.f.GetFSerSin(k), 0.0);
    EXPECT_EQ(b.f.GetPhase(k), 0.0);
  }
  EXPECT_EQ(b.f.GetFSerSin(0), 0.0);
  EXPECT_EQ(b.f.GetPhase(0), 0.0);
}

TEST(TFastFourier, PhaseOfAPurelyImaginaryLineIsPlusOrMinusHalfPi) {
  TFastFourier f(nullptr);
  f.SetNumData(4);
  f.SetImagVal(2, 3);   // line 1: re 0, im 3
  f.SetImagVal(3, -1);  // line 2: re 0, im -1
  EXPECT_DOUBLE_EQ(f.GetPhase(1), std::numbers::pi / 2);
  EXPECT_DOUBLE_EQ(f.GetPhase(2), -std::numbers::pi / 2);
}

TEST(TFastFourier, RmsOfAllLinesIsParsevalWithTheNyquistLineTwice) {
  TBlock b(64, 5);
  double energy = 0;
  for (const Cplx& v : b.x) energy += std::norm(v);
  b.f.Transform();
  const double nyquist = std::norm(b.At(32));
  EXPECT_NEAR_REL(b.f.RMS(0, 32), std::sqrt(energy / 64 + nyquist / (64.0 * 64.0)), 1e-14);
  EXPECT_EQ(b.f.RMS(10, 3), b.f.RMS(3, 10));
  EXPECT_EQ(b.f.RMS(-5, 100), b.f.RMS(0, 32));  // clamped to 0..N/2
  EXPECT_NEAR(b.f.RMS(4, 4), std::sqrt(b.f.GetPowerSpec(4) * 64) / 64, 1e-15);
}

TEST(TFastFourier, FrequenciesAndLines) {
  TFastFourier f(nullptr);  // N = 256
  EXPECT_DOUBLE_EQ(f.FreqOfLine(1, 0.001), 1 / 0.001 / 256);
  EXPECT_DOUBLE_EQ(f.FreqOfLine(128, 0.5), 128 / 0.5 / 256);
  EXPECT_EQ(f.FreqOfLine(0, 0.001), 0.0);
  EXPECT_EQ(f.FreqOfLine(129, 0.001), 0.0);
  EXPECT_EQ(f.LineOfFreq(0.001, 1 / 0.001 / 256 * 5), 5);
  EXPECT_EQ(f.LineOfFreq(1.0, 2.5 / 256), 2);  // round half to even
  EXPECT_EQ(f.LineOfFreq(1.0, 0.5), 128);
  EXPECT_EQ(f.LineOfFreq(1.0, 0.6), 0);
  EXPECT_EQ(f.LineOfFreq(1.0, 0.001), 0);
  EXPECT_EQ(f.LineOfFreq(1.0, std::nan("")), 0);
  EXPECT_EQ(f.LineOfFreq(1e308, 1e308), 0);
}

TEST(TFastFourier, ExtremesFollowEveryChange) {
  TFastFourier f(nullptr);
  f.SetNumData(8);
  for (int i = 1; i <= 8; ++i) f.SetRealVal(i, i), f.SetImagVal(i, -i);
  EXPECT_EQ(f.RealMax(), 8.0);
  EXPECT_EQ(f.RealMin(), 1.0);
  EXPECT_EQ(f.ImagMax(), -1.0);
  EXPECT_EQ(f.ImagMin(), -8.0);
  f.SetRealVal(3, 100);
  EXPECT_EQ(f.RealMax(), 100.0);
  f.ClearImag();
  EXPECT_EQ(f.ImagMin(), 0.0);
  f.Clear();
  EXPECT_EQ(f.RealMax(), 0.0);
  // PowerMax leaves out the DC and the N/2 lines, MagniMax only the DC line.
  f.SetRealVal(1, 1);  // a unit impulse: every line 1
  f.Transform();
  EXPECT_DOUBLE_EQ(f.PowerMax(), 2.0 / 8);
  EXPECT_DOUBLE_EQ(f.MagniMax(), 2.0 / 8);
  f.Clear();
  f.SetRealVal(1, 1), f.SetRealVal(2, -1), f.SetRealVal(3, 1), f.SetRealVal(4, -1);
  f.SetRealVal(5, 1), f.SetRealVal(6, -1), f.SetRealVal(7, 1), f.SetRealVal(8, -1);
  f.Transform();  // only the N/2 line
  EXPECT_EQ(f.PowerMax(), 0.0);
  EXPECT_DOUBLE_EQ(f.MagniMax(), 2.0);
}

TEST(TFastFourier, OneSampleBlock) {
  TFastFourier f(nullptr);
  f.SetNumData(1);
  f.SetRealVal(1, 3), f.SetImagVal(1, 4);
  f.Transform();
  EXPECT_EQ(f.GetRealVal(1), 3.0);
  EXPECT_EQ(f.GetMagnitude(0), 5.0);
  EXPECT_EQ(f.RMS(0, 0), 5.0);
  EXPECT_EQ(f.PowerMax(), 0.0);
  EXPECT_EQ(f.MagniMax(), 0.0);
  f.InverseTransform();
  EXPECT_EQ(f.GetImagVal(1), 4.0);
}
