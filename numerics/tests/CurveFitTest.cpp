// TCurveFit: points and running sums, the statistics from them, the refusals with their exact
// messages, the transformed fits on exact data, and the rank statistics against direct counts.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <random>
#include <vector>

#include "Assertions.h"
#include "Qelta_math2.h"

using namespace qelta;

namespace {

using Points = std::vector<std::pair<double, double>>;

void Enter(TCurveFit& f, const Points& pts) {
  for (const auto& [x, y] : pts) f.EnterStatValue(x, y);
}

Points RandomPoints(int n, unsigned seed, int distinct = 0) {
  std::mt19937_64 gen(seed);
  std::normal_distribution<double> noise(0.0, 1.0);
  std::uniform_int_distribution<int> level(0, std::max(distinct - 1, 0));
  Points p;
  for (int i = 0; i < n; ++i) {
    const double x = distinct > 0 ? level(gen) : noise(gen) * 3 + 1;
    const double y = distinct > 0 ? level(gen) + (i % 3 == 0 ? x : 0) : 0.8 * x + noise(gen);
    p.emplace_back(x, y);
  }
  return p;
}

// [SECTION] the Part's edge cases

TEST(TCurveFit, LineParabolaAndCircleOfExactPoints) {
  TCurveFit f(nullptr);
  Enter(f, {{0, 1}, {1, 3}, {2, 5}});
  double k = 0, d = 0, q = 0;
  f.CalcLinFit(k, d, q);
  EXPECT_NEAR(k, 2, 1e-15);
  EXPECT_NEAR(d, 1, 1e-15);
  EXPECT_NEAR(q, 1, 1e-15);

  f.Init();
  for (double x : {-1.0, 0.0, 1.0, 2.0}) f.EnterStatValue(x, 1 + 2 * x + 3 * x * x);
  double k0 = 0, k1 = 0, k2 = 0;
  f.CalcParabolFit(k0, k1, k2, q);
  EXPECT_NEAR(k0, 1, 1e-13);
  EXPECT_NEAR(k1, 2, 1e-13);
  EXPECT_NEAR(k2, 3, 1e-13);
  EXPECT_NEAR(q, 1, 1e-15);

  f.Init();
  for (double a : {0.1, 1.3, 2.0, 3.9, 5.5}) f.EnterStatValue(1 + 3 * std::cos(a), 2 + 3 * std::sin(a));
  double r = 0, cx = 0, cy = 0;
  f.CalcCircleFit(r, cx, cy);
  EXPECT_NEAR(cx, 1, 1e-12);
  EXPECT_NEAR(cy, 2, 1e-12);
  EXPECT_NEAR(r, 3, 1e-12);

  f.Init();
  Enter(f, {{0, 0}, {1, 1}, {2, 2}});
  EXPECT_THROW_MSG(f.CalcCircleFit(r, cx, cy), EQeltaMath2Error, "CalcCircleFit: radius is infinite");
  EXPECT_EQ(r, 0.0);
}

TEST(TCurveFit, ErrIndicSurvivesRemoval) {
  TCurveFit f(nullptr);
  f.EnterStatValue(0, 5);
  EXPECT_TRUE(f.ErrIndic().Contains(cfeXLE0));
  EXPECT_TRUE(f.ErrIndic().Contains(cfeXEQ0));
  EXPECT_FALSE(f.ErrIndic().Contains(cfeYLE0));
  f.RemoveStatValue(1);
  EXPECT_EQ(f.NumData(), 0);
  EXPECT_TRUE(f.ErrIndic().Contains(cfeXLE0));
  EXPECT_TRUE(f.ErrIndic().Contains(cfeXEQ0));
  f.Init();
  EXPECT_TRUE(f.ErrIndic().Empty());
}

struct TGuardCase {
  double x, y;
  Set<TCurveFitError> marks;
};

TEST(TCurveFit, GuardedValuesMarkTheirSums) {
  const TGuardCase cases[] = {
      {1, 1, {}},
      {-2, 3, {cfeXLE0}},
      {2, -3, {cfeYLE0}},
      {1e-31, 2, {cfeXEQ0}},  // counts as zero, but x > 0 still feeds the logarithms
      {2, 1e-31, {cfeYEQ0}},
      {2, 0, {cfeYEQ0, cfeYLE0}},
      {0, 0, {cfeXEQ0, cfeXLE0, cfeYEQ0, cfeYLE0}},
      {-1e-40, -1e-40, {cfeXEQ0, cfeXLE0, cfeYEQ0, cfeYLE0}},
  };
  for (const TGuardCase& c : cases) {
    TCurveFit f(nullptr);
    f.EnterStatValue(c.x, c.y);
    EXPECT_TRUE(f.ErrIndic() == c.marks) << c.x << ", " << c.y;
  }
}

TEST(TCurveFit, MeansDeviationsAndDegrees) {
  TCurveFit f(nullptr);
  f.EnterStatValue(3, 1);
  EXPECT_EQ(f.GetMeanDiff(), 2.0);
  EXPECT_EQ(f.MeanX(), 3.0);
  EXPECT_EQ(f.StdDevX(), 0.0);  // below three points
  f.Init();
  Enter(f, {{350, 340}, {20, 350}});
  EXPECT_NEAR(f.MeanAngleX(), 5, 1e-12);
  EXPECT_NEAR(f.MeanAngleY(), 345, 1e-12);
  f.Init();
  Enter(f, {{100, 190}, {170, 200}, {135, 270}});  // cosine sum negative: second and third quadrant
  EXPECT_NEAR(f.MeanAngleX(), 135, 1e-12);
  const double r = 3.14159265358979323846 / 180;
  const double sines = std::sin(190 * r) + std::sin(200 * r) + std::sin(270 * r);
  const double cosines = std::cos(190 * r) + std::cos(200 * r) + std::cos(270 * r);
  EXPECT_NEAR(f.MeanAngleY(), 360 + std::atan2(sines, cosines) / r, 1e-12);  // third quadrant
}

TEST(TCurveFit, RemovingThePointMovesTheLaterOnesUp) {
  TCurveFit f(nullptr);
  for (int i = 1; i <= 300; ++i) f.EnterStatValue(i, 1000 + i);
  f.RemoveStatValue(1);
  ASSERT_EQ(f.NumData(), 299);
  for (int i = 1; i <= 299; ++i) {
    ASSERT_EQ(f.GetDataX(i), i + 1.0);
    ASSERT_EQ(f.GetDataY(i), 1001.0 + i);
  }
  EXPECT_EQ(f.GetDataX(300), 0.0);
  EXPECT_EQ(f.GetDataX(0), 0.0);
  EXPECT_NEAR(f.MeanX(), 151, 1e-12);  // the sums lost exactly the first point
  f.RemoveStatValue(0);
  f.RemoveStatValue(300);
  EXPECT_EQ(f.NumData(), 299);
  EXPECT_EQ(f.MinX(), 1.0);  // extremes stay as they were
}

TEST(TCurveFit, AnovaRules) {
  TCurveFit f(nullptr);
  Enter(f, {{1, 1}, {2, 2}, {3, 3}, {4, 4}});  // estimated = observed: residual sum 0
  int dfreg = 0, dfres = 0, dftotal = 0;
  double sse = 0, ssr = 0, sst = 0, mse = 0, msr = 0, F = 0;
  f.CalcAnovaReg(1, true, dfreg, dfres, dftotal, sse, ssr, sst, mse, msr, F);
  EXPECT_EQ(dfreg, 1);
  EXPECT_EQ(dftotal, 3);
  EXPECT_EQ(dfres, 2);
  EXPECT_EQ(sse, 0.0);
  EXPECT_NEAR(ssr, 5, 1e-15);
  EXPECT_NEAR(sst, 5, 1e-15);
  EXPECT_EQ(F, 1e10);
  f.CalcAnovaReg(3, true, dfreg, dfres, dftotal, sse, ssr, sst, mse, msr, F);  // no residual freedom
  EXPECT_EQ(dfres, 0);
  EXPECT_EQ(mse, 0.0);
  f.CalcAnovaReg(0, false, dfreg, dfres, dftotal, sse, ssr, sst, mse, msr, F);
  EXPECT_EQ(dftotal, 4);
  EXPECT_EQ(msr, 0.0);
  EXPECT_EQ(F, 0.0);
  EXPECT_NEAR(sst, 30, 1e-15);  // no constant: about 0
}

// [SECTION] the empty fitter and the sums

TEST(TCurveFit, NewFitterIsEmpty) {
  TCurveFit f(nullptr);
  EXPECT_EQ(f.NumData(), 0);
  EXPECT_EQ(f.MinX(), 1.7e308);
  EXPECT_EQ(f.MaxY(), -1.7e308);
  EXPECT_EQ(f.MeanX(), 0.0);
  EXPECT_EQ(f.CorrCoeff(), 0.0);
  EXPECT_EQ(f.MeanAngleX(), 0.0);
  EXPECT_EQ(f.SkewnessX(), 0.0);
  EXPECT_EQ(f.SpearmanRankCorr(), 0.0);
  EXPECT_TRUE(f.SplineNatural1());
  EXPECT_EQ(f.SplineSmoothingFactor(), 0.5);
  double q1 = 1, q2 = 1, q3 = 1;
  EXPECT_FALSE(f.QuartilesX(q1, q2, q3));
  EXPECT_EQ(q1 + q2 + q3, 0.0);
  int n = -1;
  double mx = 1, my = 1, sx = 1, sy = 1, md = 1, sd = 1, r = 1;
  f.CalcStatistics(n, mx, my, sx, sy, md, sd, r);
  EXPECT_EQ(n, 0);
  EXPECT_EQ(mx + my + sx + sy + md + sd + r, 0.0);
}

TEST(TCurveFit, StatisticsFromTheSumsMatchThePoints) {
  const Points pts = RandomPoints(2500, 7);  // beyond the first store of 1000 rows, twice
  TCurveFit f(nullptr);
  Enter(f, pts);
  ASSERT_EQ(f.NumData(), 2500);
  long double sx = 0, sy = 0, sd = 0;
  for (const auto& [x, y] : pts) {
    sx += x;
    sy += y;
    sd += x - y;
  }
  const long double n = pts.size(), mx = sx / n, my = sy / n;
  long double qx = 0, qy = 0, qxy = 0;
  for (const auto& [x, y] : pts) {
    qx += (x - mx) * (x - mx);
    qy += (y - my) * (y - my);
    qxy += (x - mx) * (y - my);
  }
  EXPECT_NEAR(f.MeanX(), static_cast<double>(mx), 1e-13);
  EXPECT_NEAR(f.MeanDiff(), static_cast<double>(sd / n), 1e-13);
  EXPECT_NEAR_REL(f.StdDevX(), static_cast<double>(std::sqrt(qx / (n - 1))), 1e-13);
  EXPECT_NEAR_REL(f.StdDevY(), static_cast<double>(std::sqrt(qy / (n - 1))), 1e-13);
  EXPECT_NEAR_REL(f.CorrCoeff(), static_cast<double>(qxy / std::sqrt(qx * qy)), 1e-13);
  for (int i : {1, 1000, 1001, 2000, 2500}) {
    EXPECT_EQ(f.GetDataX(i), pts[static_cast<std::size_t>(i - 1)].first);
    EXPECT_EQ(f.GetDataY(i), pts[static_cast<std::size_t>(i - 1)].second);
  }
  double lo = 1e300, hi = -1e300;
  for (const auto& p : pts) {
    lo = std::min(lo, p.first);
    hi = std::max(hi, p.first);
  }
  EXPECT_EQ(f.MinX(), lo);
  EXPECT_EQ(f.MaxX(), hi);
  // quartiles and moments are those of a matrix holding the points
  TMatrix m(nullptr);
  m.Resize(2, 2500);
  for (int i = 1; i <= 2500; ++i) {
    m.SetVal(1, i, pts[static_cast<std::size_t>(i - 1)].first);
    m.SetVal(2, i, pts[static_cast<std::size_t>(i - 1)].second);
  }
  double a1 = 0, a2 = 0, a3 = 0, b1 = 0, b2 = 0, b3 = 0, skew = 0, kurt = 0;
  EXPECT_TRUE(f.QuartilesY(a1, a2, a3));
  m.Quartiles(2, 1, 2, 2500, b1, b2, b3);
  EXPECT_EQ(a1, b1);
  EXPECT_EQ(a3, b3);
  m.SkewKurtSample(1, 1, 1, 2500, skew, kurt);
  EXPECT_EQ(f.SkewnessX(), skew);
  EXPECT_EQ(f.KurtosisX(), kurt);
}

// [SECTION] refusals

struct TRefusal {
  const char16_t* name;
  int least;
  std::function<void(TCurveFit&)> call;
};

std::vector<TRefusal> Refusals() {
  double a = 0, b = 0, c = 0, d = 0;
  const auto three = [&](void (TCurveFit::*fit)(double&, double&, double&) const) {
    return [=](TCurveFit& f) mutable { (f.*fit)(a, b, c); };
  };
  return {
      {u"CalcLinFit", 2, three(&TCurveFit::CalcLinFit)},
      {u"CalcParabolFit", 3, [=](TCurveFit& f) mutable { f.CalcParabolFit(a, b, c, d); }},
      {u"CalcCircleFit", 3, three(&TCurveFit::CalcCircleFit)},
      {u"CalcReciLinFit", 2, three(&TCurveFit::CalcReciLinFit)},
      {u"CalcHyperbolFit", 2, three(&TCurveFit::CalcHyperbolFit)},
      {u"CalcReciHyperbolFit", 2, three(&TCurveFit::CalcReciHyperbolFit)},
      {u"CalcLogFit", 2, three(&TCurveFit::CalcLogFit)},
      {u"CalcReciLogFit", 2, three(&TCurveFit::CalcReciLogFit)},
      {u"CalcPowerFit", 2, three(&TCurveFit::CalcPowerFit)},
      {u"CalcExponentialFit", 2, three(&TCurveFit::CalcExponentialFit)},
      {u"CalcGaussFit", 3, [=](TCurveFit& f) mutable { f.CalcGaussFit(a, b, c, d); }},
      {u"CalcHoerlFit", 3, [=](TCurveFit& f) mutable { f.CalcHoerlFit(a, b, c, d); }},
  };
}

TEST(TCurveFit, FitsRefuseTooFewPoints) {
  for (const TRefusal& r : Refusals()) {
    TCurveFit f(nullptr);
    for (int i = 1; i < r.least; ++i) f.EnterStatValue(i, i * i + 1);
    EXPECT_THROW_MSG(r.call(f), EQeltaMath2Error, StringToUtf8(String(r.name) + u": not enough data points"));
    f.EnterStatValue(r.least + 0.5, 3);
    EXPECT_NO_THROW(r.call(f)) << StringToUtf8(r.name);
  }
}

struct TSuitability {
  const char16_t* name;
  std::function<void(TCurveFit&)> call;
  std::vector<std::pair<double, double>> spoilers;  // each alone makes the data unsuitable
  std::pair<double, double> harmless;               // a point the fit tolerates
};

TEST(TCurveFit, TransformedFitsRefuseDataWithIncompleteSums) {
  double a = 0, b = 0, c = 0, d = 0;
  const auto three = [&](void (TCurveFit::*fit)(double&, double&, double&) const) {
    return [=](TCurveFit& f) mutable { (f.*fit)(a, b, c); };
  };
  const TSuitability cases[] = {
      {u"CalcReciLinFit", three(&TCurveFit::CalcReciLinFit), {{1, 0}, {2, 1e-31}}, {-1, -2}},
      {u"CalcHyperbolFit", three(&TCurveFit::CalcHyperbolFit), {{0, 1}, {-1e-40, 2}}, {-1, -2}},
      {u"CalcReciHyperbolFit", three(&TCurveFit::CalcReciHyperbolFit), {{0, 1}, {1, 0}}, {-1, -2}},
      {u"CalcLogFit", three(&TCurveFit::CalcLogFit), {{0, 1}, {-1, 1}}, {1, -2}},
      {u"CalcReciLogFit", three(&TCurveFit::CalcReciLogFit), {{-1, 1}, {1, 0}}, {1, -2}},
      {u"CalcPowerFit", three(&TCurveFit::CalcPowerFit), {{-1, 1}, {1, -1}, {1, 0}}, {1e-31, 2}},
      {u"CalcExponentialFit", three(&TCurveFit::CalcExponentialFit), {{1, -1}, {1, 0}}, {-3, 2}},
      {u"CalcGaussFit", [=](TCurveFit& f) mutable { f.CalcGaussFit(a, b, c, d); }, {{1, 0}, {1, -2}}, {-3, 2}},
      {u"CalcHoerlFit", [=](TCurveFit& f) mutable { f.CalcHoerlFit(a, b, c, d); }, {{0, 1}, {1, -2}}, {1e-31, 2}},
  };
  for (const TSuitability& s : cases) {
    for (const auto& [x, y] : s.spoilers) {
      TCurveFit f(nullptr);
      Enter(f, {{1, 2}, {2, 3}, {3, 5}, {x, y}});
      f.RemoveStatValue(4);  // removal never makes the sums complete again
      EXPECT_THROW_MSG(s.call(f), EQeltaMath2Error, StringToUtf8(String(s.name) + u": data not suitable for this fit"));
    }
    TCurveFit f(nullptr);
    Enter(f, {{1, 2}, {2, 3}, {3, 5}, s.harmless});
    EXPECT_NO_THROW(s.call(f)) << StringToUtf8(s.name);
  }
}

// [SECTION] transformed fits on exact data

struct TExactFit {
  const char* name;
  std::function<double(double)> y;
  std::function<void(const TCurveFit&, double&, double&, double&, double&)> fit;
  double p1, p2, p3;
};

TEST(TCurveFit, TransformedFitsRecoverExactData) {
  using F = const TCurveFit&;
  const TExactFit cases[] = {
      {"ReciLin", [](double x) { return 1 / (0.5 * x + 2); }, [](F f, double& k, double& d, double&, double& q) { f.CalcReciLinFit(k, d, q); }, 0.5, 2, 0},
      {"Hyperbol", [](double x) { return 3 / x + 1; }, [](F f, double& k, double& d, double&, double& q) { f.CalcHyperbolFit(k, d, q); }, 3, 1, 0},
      {"ReciHyperbol", [](double x) { return 1 / (2 / x + 0.5); }, [](F f, double& k, double& d, double&, double& q) { f.CalcReciHyperbolFit(k, d, q); }, 2, 0.5, 0},
      {"Log", [](double x) { return 2 * std::log(x) + 1; }, [](F f, double& k, double& d, double&, double& q) { f.CalcLogFit(k, d, q); }, 2, 1, 0},
      {"ReciLog", [](double x) { return 1 / (0.3 * std::log(x) + 1); }, [](F f, double& k, double& d, double&, double& q) { f.CalcReciLogFit(k, d, q); }, 0.3, 1, 0},
      {"Power", [](double x) { return 2.5 * std::pow(x, 1.5); }, [](F f, double& k, double& d, double&, double& q) { f.CalcPowerFit(k, d, q); }, 1.5, 2.5, 0},
      {"Exponential", [](double x) { return 0.7 * std::exp(0.4 * x); }, [](F f, double& k, double& d, double&, double& q) { f.CalcExponentialFit(k, d, q); }, 0.4, 0.7, 0},
      {"Gauss", [](double x) { return 3 * std::exp(-(x - 2) * (x - 2) / (2 * 1.5 * 1.5)); }, [](F f, double& a, double& b, double& c, double& q) { f.CalcGaussFit(a, b, c, q); }, 3, 2, 1.5},
      {"Hoerl", [](double x) { return 2 * std::pow(1.3, x) * std::pow(x, 0.7); }, [](F f, double& a, double& b, double& c, double& q) { f.CalcHoerlFit(a, b, c, q); }, 2, 1.3, 0.7},
  };
  for (const TExactFit& c : cases) {
    TCurveFit f(nullptr);
    for (double x = 0.5; x <= 6; x += 0.25) f.EnterStatValue(x, c.y(x));
    double p1 = 0, p2 = 0, p3 = 0, q = 0;
    c.fit(f, p1, p2, p3, q);
    EXPECT_NEAR(p1, c.p1, 1e-9) << c.name;
    EXPECT_NEAR(p2, c.p2, 1e-9) << c.name;
    EXPECT_NEAR(p3, c.p3, 1e-9) << c.name;
    EXPECT_NEAR(q, 1, 1e-12) << c.name;
  }
}

TEST(TCurveFit, TransformedFitsOfDegenerateData) {
  TCurveFit f(nullptr);
  Enter(f, {{2, 1}, {2, 3}, {2, 4}});  // one x: no line
  double k = 9, d = 9, q = 9;
  f.CalcPowerFit(k, d, q);
  EXPECT_EQ(k + d + q, 0.0);
  f.Init();
  Enter(f, {{1, 1}, {2, 1}, {3, 1}});  // y constant: a perfect flat fit
  f.CalcExponentialFit(k, d, q);
  EXPECT_EQ(k, 0.0);
  EXPECT_EQ(d, 1.0);
  EXPECT_EQ(q, 1.0);
  double amp = 9, centre = 9, width = 9;
  f.Init();
  for (double x : {-2.0, 0.0, 2.0, 3.0}) f.EnterStatValue(x, std::exp(x * x));  // a valley, no peak
  f.CalcGaussFit(amp, centre, width, q);
  EXPECT_EQ(amp + centre + width + q, 0.0);
}

// [SECTION] rank statistics

struct TCounts {
  int64_t c = 0, d = 0, t1 = 0, t2 = 0;
};

/// Every pair by the signs of dx and dy (comparisons); pairs with NaN count nowhere.
TCounts DirectPairCount(const Points& p) {
  TCounts k;
  for (std::size_t i = 0; i < p.size(); ++i)
    for (std::size_t j = i + 1; j < p.size(); ++j) {
      const double x1 = p[i].first, x2 = p[j].first, y1 = p[i].second, y2 = p[j].second;
      if (std::isnan(x1) || std::isnan(x2) || std::isnan(y1) || std::isnan(y2)) continue;
      const int sx = (x1 > x2) - (x1 < x2), sy = (y1 > y2) - (y1 < y2);
      if (sx * sy > 0) ++k.c;
      else if (sx * sy < 0) ++k.d;
      else if (sx != 0) ++k.t1;
      else if (sy != 0) ++k.t2;
    }
  return k;
}

TEST(TCurveFit, KendallCountsMatchADirectPairCount) {
  for (auto [n, distinct, seed] : {std::tuple{3, 0, 1u}, {10, 3, 2u}, {57, 0, 3u}, {200, 5, 4u}, {1000, 20, 5u}, {333, 2, 6u}}) {
    Points p = RandomPoints(n, seed, distinct);
    if (n > 50) p[7] = {std::nan(""), 1};  // a NaN point takes part in no pair
    TCurveFit f(nullptr);
    Enter(f, p);
    f.BasicRankCounts();
    const TCounts want = DirectPairCount(p);
    EXPECT_EQ(f.KendallConcord(), want.c) << n;
    EXPECT_EQ(f.KendallDiscord(), want.d) << n;
    EXPECT_EQ(f.KendallTies1(), want.t1) << n;
    EXPECT_EQ(f.KendallTies2(), want.t2) << n;
  }
}

// dx dy of differences near 1e-200 underflows to 0: such pairs were counted as ties.
TEST(TCurveFit, KendallCountsPairsWhoseProductUnderflows) {
  TCurveFit f(nullptr);
  for (int i = 1; i <= 5; ++i) f.EnterStatValue(i * 1e-200, -i * 1e-200);
  double p = 0;
  EXPECT_EQ(f.KendallsTau(p), -1.0);
  EXPECT_EQ(f.KendallDiscord(), 10);
  EXPECT_EQ(f.KendallTies1() + f.KendallTies2(), 0);
  EXPECT_EQ(f.KruskalGamma(), -1.0);
}

TEST(TCurveFit, KendallsTauAndItsProbability) {
  TCurveFit f(nullptr);
  Enter(f, {{1, 2}, {2, 1}, {3, 4}, {4, 3}, {5, 6}, {6, 5}, {7, 7}});
  double p = 0;
  const double tau = f.KendallsTau(p);
  // C = 18, D = 3, no ties: tau = 15 / 21; z = tau / sqrt((4n + 10) / (9 n (n - 1)))
  EXPECT_NEAR(tau, 15.0 / 21, 1e-15);
  const double z = tau / std::sqrt(38.0 / (9 * 7 * 6));
  EXPECT_NEAR(p, std::erfc(z / std::sqrt(2.0)), 1.5e-7);  // through ErfApprox
  EXPECT_NEAR(f.GetKruskalGamma(), 15.0 / 21, 1e-15);
  f.EnterStatValue(8, 8);  // a new point invalidates the cached counts
  f.KendallsTau(p);
  EXPECT_EQ(f.KendallConcord(), 25);
}

TEST(TCurveFit, RankStatisticsWhereTheirFormulasDivideByZero) {
  TCurveFit f(nullptr);
  double p = 0;
  Enter(f, {{1, 1}, {2, 2}});
  EXPECT_EQ(f.KendallsTau(p), 0.0);
  EXPECT_EQ(p, 1.0);
  EXPECT_EQ(f.SpearmanRankCorr(), 0.0);
  f.Init();
  Enter(f, {{5, 1}, {5, 2}, {5, 3}, {5, 4}});  // x constant: every pair tied in x
  EXPECT_EQ(f.KendallsTau(p), 0.0);
  EXPECT_EQ(p, 1.0);
  EXPECT_EQ(f.GetKruskalGamma(), 0.0);
  EXPECT_EQ(f.GetSpearman(), 0.0);
  f.Init();
  Enter(f, {{0, 0}, {180, 0}});  // cosine sum exactly 0, sine sum just above 0
  EXPECT_EQ(f.MeanAngleX(), 90.0);
}

/// Pearson correlation of average ranks, ranks counted directly.
double PearsonOfRanks(const Points& p) {
  const std::size_t n = p.size();
  std::vector<double> rx(n), ry(n);
  for (std::size_t i = 0; i < n; ++i) {
    double lx = 0, ex = 0, ly = 0, ey = 0;
    for (std::size_t j = 0; j < n; ++j) {
      lx += p[j].first < p[i].first;
      ex += p[j].first == p[i].first;
      ly += p[j].second < p[i].second;
      ey += p[j].second == p[i].second;
    }
    rx[i] = lx + (ex + 1) / 2;
    ry[i] = ly + (ey + 1) / 2;
  }
  long double mx = 0, my = 0;
  for (std::size_t i = 0; i < n; ++i) {
    mx += rx[i];
    my += ry[i];
  }
  mx /= n;
  my /= n;
  long double sxx = 0, syy = 0, sxy = 0;
  for (std::size_t i = 0; i < n; ++i) {
    sxx += (rx[i] - mx) * (rx[i] - mx);
    syy += (ry[i] - my) * (ry[i] - my);
    sxy += (rx[i] - mx) * (ry[i] - my);
  }
  return static_cast<double>(sxy / std::sqrt(sxx * syy));
}

TEST(TCurveFit, SpearmanEqualsPearsonOfAverageRanks) {
  for (auto [n, distinct, seed] : {std::tuple{5, 0, 11u}, {40, 4, 12u}, {300, 0, 13u}, {300, 7, 14u}, {1000, 30, 15u}}) {
    const Points p = RandomPoints(n, seed, distinct);
    TCurveFit f(nullptr);
    Enter(f, p);
    EXPECT_NEAR(f.GetSpearman(), PearsonOfRanks(p), 1e-12) << n << " " << distinct;
  }
}

}  // namespace
