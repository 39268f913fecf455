// Qelta_kohonen: TKohonen. The training against a plain re-implementation of its rules (schedule,
// winner, square neighbourhood, torus, match-quality factor), the random start, the standardisation
// rules, and the XML element: its byte image, round trips and hostile files.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "Assertions.h"
#include "FileTestKit.h"
#include "Qelta_kohonen.h"
#include "Random.h"
#include "Streams.h"
#include "VecMatTestKit.h"

using namespace qelta;

namespace {

using Rows = std::vector<std::vector<double>>;

Rows RandomRows(int n, int f, uint32_t seed) {
  RandSeed = seed;
  Rows rows(static_cast<std::size_t>(n), std::vector<double>(static_cast<std::size_t>(f)));
  for (auto& r : rows)
    for (auto& v : r) v = Random() * 4 - 2;
  return rows;
}

// The weights as [x][y][c], 0-based.
using Weights = std::vector<std::vector<std::vector<double>>>;

Weights WeightsOf(const TKohonen& k) {
  Weights w(static_cast<std::size_t>(k.SizeX()),
            std::vector<std::vector<double>>(static_cast<std::size_t>(k.SizeY()), std::vector<double>(static_cast<std::size_t>(k.NrOfInSens()))));
  for (int x = 1; x <= k.SizeX(); ++x)
    for (int y = 1; y <= k.SizeY(); ++y)
      for (int c = 1; c <= k.NrOfInSens(); ++c)
        w[static_cast<std::size_t>(x - 1)][static_cast<std::size_t>(y - 1)][static_cast<std::size_t>(c - 1)] = k.GetWeight(x, y, c);
  return w;
}

// The training rules as stated, on plain arrays: steps from `step` while below maxSteps (at least one).
void ReferenceTraining(Weights& w, const Rows& data, int step, int maxSteps, int maxNeighb, double maxAlpha,
                       bool cyclic) {
  const int sx = static_cast<int>(w.size()), sy = static_cast<int>(w[0].size());
  auto dist = [&](int x, int y, const std::vector<double>& o) {
    double s = 0;
    for (std::size_t c = 0; c < o.size(); ++c)
      s += (w[static_cast<std::size_t>(x - 1)][static_cast<std::size_t>(y - 1)][c] - o[c]) *
           (w[static_cast<std::size_t>(x - 1)][static_cast<std::size_t>(y - 1)][c] - o[c]);
    return s;
  };
  do {
    const double r = static_cast<double>(maxSteps - step) / maxSteps;
    const int neighb = static_cast<int>(std::nearbyint(r * r * (maxNeighb - 1) + 1));
    const double alpha = r * r * maxAlpha;
    for (const auto& o : data) {
      int wx = 0, wy = 0;
      double dmin = 1.7e308;
      for (int x = 1; x <= sx; ++x)
        for (int y = 1; y <= sy; ++y)
          if (dist(x, y, o) < dmin) dmin = dist(x, y, o), wx = x, wy = y;
      int rx = neighb, ry = neighb;
      if (cyclic && neighb >= sx / 2) rx = std::max(sx / 2 - 1, 0);
      if (cyclic && neighb >= sy / 2) ry = std::max(sy / 2 - 1, 0);
      for (int x = wx - rx; x <= wx + rx; ++x)
        for (int y = wy - ry; y <= wy + ry; ++y) {
          int ix = x, iy = y;
          if (!cyclic && (ix < 1 || ix > sx || iy < 1 || iy > sy)) continue;
          if (ix < 1) ix += sx;
          if (ix > sx) ix -= sx;
          if (iy < 1) iy += sy;
          if (iy > sy) iy -= sy;
          const double factor = alpha / (std::sqrt(dist(ix, iy, o) - dmin) + 1);
          auto& node = w[static_cast<std::size_t>(ix - 1)][static_cast<std::size_t>(iy - 1)];
          for (std::size_t c = 0; c < o.size(); ++c) node[c] += (o[c] - node[c]) * factor;
        }
    }
    ++step;
  } while (step < maxSteps);
}

// A map of sx x sy nodes trained on data (as a matrix) from its random start.
struct TMap {
  TKohonen k{nullptr};
  TMatrix data{nullptr};
  TMap(int sx, int sy, const Rows& rows) {
    test::LoadRows(data, rows);
    k.SetDataMat(&data);
    k.SetSizeX(sx);
    k.SetSizeY(sy);
  }
};

std::string XmlOf(const TKohonen& k, const String& id = u"map") {
  TMemoryStream s;
  k.WriteToXMLStream(s, true, id);
  return test::BytesOf(s);
}

bool ReadXml(TKohonen& k, const std::string& text, const String& id = u"") {
  TMemoryStream s;
  test::Fill(s, text);
  return k.ReadFromXMLStream(s, id);
}

// A hand-written element of a 1 x 2 map of 2 components (the writer's own layout).
const std::string kSmallMap =
    "<?xml version=\"1.0\"?>\r\n"
    "\r\n"
    "<!-- TKohonen / Qeltakit -->\r\n"
    "<kohonen sig=\"Qeltakit\" vers=\"1.0\" id=\"small\">\r\n"
    "  <sizex>1</sizex>\r\n"
    "  <sizey>2</sizey>\r\n"
    "  <nrinsens>2</nrinsens>\r\n"
    "  <maxneighb>3</maxneighb>\r\n"
    "  <maxsteps>50</maxsteps>\r\n"
    "  <maxalpha>0.25</maxalpha>\r\n"
    "  <curstep>7</curstep>\r\n"
    "  <cyclic>1</cyclic>\r\n"
    "  <comment>a &amp; b &lt;c&gt;&#13;&#10;line two</comment>\r\n"
    "  <meanstddev ix=\"1\" mean=\"10\" sd=\"2\" />\r\n"
    "  <meanstddev ix=\"2\" mean=\"-0.5\" sd=\"0\" />\r\n"
    "  <cell x=\"1\" y=\"1\" w=\"0.10000000000000001 -0\" />\r\n"
    "  <cell x=\"1\" y=\"2\" w=\"1E-300 NAN\" />\r\n"
    "</kohonen>\r\n";

}  // namespace

// [SECTION] settings and the random start

TEST(TKohonen, StartsAsASmallRandomMap) {
  RandSeed = 5807;
  TKohonen k(nullptr);
  EXPECT_EQ(k.SizeX(), 1);
  EXPECT_EQ(k.SizeY(), 1);
  EXPECT_EQ(k.NrOfInSens(), 1);
  EXPECT_EQ(k.InitialNeighbors(), 2);
  EXPECT_EQ(k.NrOfTrnSteps(), 200);
  EXPECT_EQ(k.InitialAlpha(), 1.0);
  EXPECT_FALSE(k.Cyclic());
  EXPECT_EQ(k.MeanVec()->NrOfElem(), 1);
  EXPECT_EQ(k.StdDevVec()->GetVal(1), 0.0);
  RandSeed = 5807;
  EXPECT_EQ(k.GetWeight(1, 1, 1), (Random() - 0.5) * 0.2);  // one draw in the constructor
}

TEST(TKohonen, RandomWeightsTakeOneDrawEachXOutermostThenYThenComponent) {
  TMap m(3, 2, RandomRows(4, 2, 1));
  RandSeed = 12345;
  m.k.SetWeigtsToRandom();
  RandSeed = 12345;
  for (int x = 1; x <= 3; ++x)
    for (int y = 1; y <= 2; ++y)
      for (int c = 1; c <= 2; ++c) {
        const double w = (Random() - 0.5) * 0.2;
        EXPECT_EQ(m.k.GetWeight(x, y, c), w);
        EXPECT_TRUE(w >= -0.1 && w < 0.1);
      }
}

TEST(TKohonen, SizesAndDataReplaceTheWeightsByZeros) {
  TMap m(3, 2, RandomRows(5, 4, 2));
  EXPECT_EQ(m.k.NrOfInSens(), 4);
  EXPECT_EQ(m.k.MeanVec()->NrOfElem(), 4);
  EXPECT_EQ(m.k.GetWeight(3, 2, 4), 0.0);
  m.k.SetWeigtsToRandom();
  m.k.SetSizeX(0);  // ignored
  m.k.SetSizeY(-2);
  EXPECT_EQ(m.k.SizeX(), 3);
  EXPECT_NE(m.k.GetWeight(1, 1, 1), 0.0);
  m.k.SetSizeY(5);
  EXPECT_EQ(m.k.SizeY(), 5);
  EXPECT_EQ(m.k.GetWeight(1, 1, 1), 0.0);
  m.k.SetNumInsens(0);
  EXPECT_EQ(m.k.NrOfInSens(), 4);
  m.k.SetNumInsens(2);
  EXPECT_EQ(m.k.NrOfInSens(), 2);
  EXPECT_EQ(m.k.StdDevVec()->NrOfElem(), 2);
  m.k.SetNrOfTrnSteps(0);  // stored as 1
  EXPECT_EQ(m.k.NrOfTrnSteps(), 1);
  m.k.SetNrOfTrnSteps(-7);
  EXPECT_EQ(m.k.NrOfTrnSteps(), 1);
}

// [SECTION] training

TEST(TKohonen, ScheduleShrinksRadiusAndRate) {
  const struct {
    int step;
    int radius;
    double alpha;
  } cases[] = {{1, 2, 0.990025}, {58, 2, 0.71 * 0.71}, {59, 1, 0.705 * 0.705}, {199, 1, 0.005 * 0.005}};
  for (const auto& c : cases) {
    int radius = 0;
    double alpha = 0;
    num_detail::KohonenSchedule(c.step, 200, 2, 1.0, radius, alpha);
    EXPECT_EQ(radius, c.radius) << c.step;
    EXPECT_DOUBLE_EQ(alpha, c.alpha) << c.step;
  }
  int radius = 0;
  double alpha = 0;
  num_detail::KohonenSchedule(1, 10, 5, 0.5, radius, alpha);  // r^2 = 0.81: round(0.81 * 4 + 1) = 4
  EXPECT_EQ(radius, 4);
  EXPECT_DOUBLE_EQ(alpha, 0.405);
}

TEST(TKohonen, SeededTrainingFollowsTheRules) {
  const struct {
    int sx, sy, neighb;
    bool cyclic;
  } cases[] = {{5, 4, 3, false}, {4, 4, 5, true}, {6, 3, 2, true}, {1, 1, 2, false}};
  for (const auto& c : cases) {
    const Rows rows = RandomRows(30, 3, 77);
    TMap m(c.sx, c.sy, rows);
    m.k.SetInitialNeighbors(c.neighb);
    m.k.SetNrOfTrnSteps(12);
    m.k.SetInitialAlpha(0.8);
    m.k.SetCyclic(c.cyclic);
    RandSeed = 99;
    m.k.SetWeigtsToRandom();
    Weights ref = WeightsOf(m.k);
    RandSeed = 99;
    m.k.Trainit();
    ReferenceTraining(ref, rows, 1, 12, c.neighb, 0.8, c.cyclic);
    EXPECT_EQ(WeightsOf(m.k), ref) << c.sx << " x " << c.sy;
  }
}

TEST(TKohonen, SeededTrainingPinned) {
  TMap m(4, 3, RandomRows(20, 2, 3));
  m.k.SetNrOfTrnSteps(8);
  RandSeed = 2024;
  m.k.Trainit();
  // Values of this implementation (the rules are checked by SeededTrainingFollowsTheRules).
  EXPECT_EQ(m.k.GetWeight(1, 1, 1), -0.34537634021303093);
  EXPECT_EQ(m.k.GetWeight(4, 3, 2), 1.2621575110877084);
  EXPECT_EQ(m.k.GetWeight(2, 2, 1), -0.647865922983764);
}

TEST(TKohonen, OneNodeMovesByTheFullRate) {
  TMap m(1, 1, {{1.0}, {3.0}});
  m.k.SetNrOfTrnSteps(2);  // step 1 of 2: r^2 = 0.25
  m.k.SetInitialAlpha(1.0);
  RandSeed = 1;
  m.k.Trainit();
  RandSeed = 1;
  double w = (Random() - 0.5) * 0.2;
  w += (1.0 - w) * 0.25;
  w += (3.0 - w) * 0.25;
  EXPECT_EQ(m.k.GetWeight(1, 1, 1), w);
}

TEST(TKohonen, OneStepRunsOnceAndZeroStepsAreOne) {
  // Regression: NrOfTrnSteps 0 divided by zero in the schedule; it is stored as 1.
  TMap m(2, 2, RandomRows(5, 2, 4));
  std::vector<int> percents;
  m.k.OnFeedback = [&](TObject* sender, int p) {
    EXPECT_EQ(sender, &m.k);
    percents.push_back(p);
  };
  m.k.SetNrOfTrnSteps(0);
  m.k.Trainit();
  EXPECT_EQ(percents, (std::vector<int>{100}));
  for (int x = 1; x <= 2; ++x)
    for (int y = 1; y <= 2; ++y) EXPECT_TRUE(std::isfinite(m.k.GetWeight(x, y, 1)));
  percents.clear();
  m.k.SetNrOfTrnSteps(4);
  m.k.Trainit();  // steps 1, 2, 3
  EXPECT_EQ(percents, (std::vector<int>{25, 50, 75}));
}

TEST(TKohonen, StepCountsAtTheEndOfTheIntegerRangeEndTheTraining) {
  // A step read from a file may be the largest integer: one step is run, and the count is not
  // stepped beyond it.
  TKohonen k(nullptr);
  std::string text = kSmallMap;
  text.replace(text.find("<curstep>7"), 10, "<curstep>2147483647");
  ASSERT_TRUE(ReadXml(k, text));
  int steps = 0;
  k.OnFeedback = [&](TObject*, int) { ++steps; };
  k.ContinueTraining();
  EXPECT_EQ(steps, 1);
  EXPECT_NE(XmlOf(k).find("<curstep>2147483647</curstep>"), std::string::npos);
}

TEST(TKohonen, AbortStopsAfterTheStepInProgress) {
  TMap m(3, 3, RandomRows(10, 2, 5));
  m.k.SetNrOfTrnSteps(20);
  int steps = 0;
  m.k.OnFeedback = [&](TObject*, int) {
    if (++steps == 3) m.k.AbortTraining();
  };
  m.k.Trainit();
  EXPECT_EQ(steps, 3);
  m.k.ContinueTraining();  // the request was cleared: steps 4..19
  EXPECT_EQ(steps, 19);
}

TEST(TKohonen, TorusKeepsTheRadiusBelowHalfTheMap) {
  // On a 4 x 4 torus any radius becomes 1: one object moves 9 nodes, each once.
  TMap m(4, 4, {{5.0}});
  m.k.SetCyclic(true);
  m.k.SetInitialNeighbors(9);
  m.k.SetNrOfTrnSteps(2);
  RandSeed = 8;
  m.k.Trainit();
  RandSeed = 8;
  Weights start = WeightsOf(m.k);
  for (auto& col : start)
    for (auto& node : col) node[0] = (Random() - 0.5) * 0.2;
  int moved = 0;
  const Weights after = WeightsOf(m.k);
  for (int x = 0; x < 4; ++x)
    for (int y = 0; y < 4; ++y) moved += after[static_cast<std::size_t>(x)][static_cast<std::size_t>(y)][0] != start[static_cast<std::size_t>(x)][static_cast<std::size_t>(y)][0];
  EXPECT_EQ(moved, 9);
}

// [SECTION] use and standardisation

TEST(TKohonen, ApplyItFindsTheNodeOfAnInput) {
  TKohonen k(nullptr);
  ASSERT_TRUE(ReadXml(k, kSmallMap));
  // Node (1, 2) holds (1e-300, NaN); node (1, 1) holds (0.1, -0) in standardised units: input
  // component 1 is (in - 10) / 2, component 2 (deviation 0) is taken raw.
  TVector in(nullptr);
  test::FillVector(in, {10.2, 0.0});
  int bx = 0, by = 0;
  double d = 0;
  k.ApplyIt(&in, bx, by, d);
  EXPECT_EQ(bx, 1);
  EXPECT_EQ(by, 1);
  EXPECT_NEAR(d, 0.0, 1e-28);
  EXPECT_DOUBLE_EQ(k.GetWeight(1, 1, 1), 0.1 * 2 + 10);
  EXPECT_EQ(k.GetWeight(1, 1, 2), 0.0);  // deviation 0: the weight itself, not the mean
  EXPECT_EQ(k.GetWeight(2, 1, 1), 0.0);  // outside the map
}

TEST(TKohonen, ApplyItOnANodesOwnWeightsWithZeroMeansAndDeviations) {
  TMap m(3, 3, RandomRows(6, 2, 6));
  RandSeed = 3;
  m.k.SetWeigtsToRandom();
  TVector in(nullptr);
  test::FillVector(in, {m.k.GetWeight(2, 3, 1), m.k.GetWeight(2, 3, 2)});
  int bx = 0, by = 0;
  double d = -1;
  m.k.ApplyIt(&in, bx, by, d);
  EXPECT_EQ(bx, 2);
  EXPECT_EQ(by, 3);
  EXPECT_EQ(d, 0.0);
}

TEST(TKohonen, ConstantColumnCountsAsNotStandardised) {
  // Regression: a deviation of 0 (a constant column, which StandardizeColumns leaves raw) made
  // GetWeight answer the mean whatever the weight, and ApplyIt centre its input there, while the
  // weights had learned the raw values.
  TMap m(2, 2, {{4.0}, {4.0}, {4.0}, {4.0}});
  m.k.StandardizeData();
  EXPECT_EQ(m.k.MeanVec()->GetVal(1), 4.0);
  EXPECT_EQ(m.k.StdDevVec()->GetVal(1), 0.0);
  RandSeed = 21;
  m.k.SetWeigtsToRandom();
  RandSeed = 21;
  EXPECT_EQ(m.k.GetWeight(1, 1, 1), (Random() - 0.5) * 0.2);  // the weight, not the mean 4
  m.k.SetNrOfTrnSteps(30);
  m.k.Trainit();
  TVector in(nullptr);
  test::FillVector(in, {4.0});
  int bx = 0, by = 0;
  double d = 0;
  m.k.ApplyIt(&in, bx, by, d);
  EXPECT_LT(d, 0.01);  // the raw 4 meets the learned weights; centred, it would be 16 away
  EXPECT_NEAR(m.k.GetWeight(bx, by, 1), 4.0, 0.1);
}

// [SECTION] XML element

TEST(TKohonen, XmlWriteReadWriteIsByteIdentical) {
  TKohonen k(nullptr);
  ASSERT_TRUE(ReadXml(k, kSmallMap, u"SMALL"));  // ids compare ignoring case
  EXPECT_EQ(XmlOf(k, u"small"), kSmallMap);
  EXPECT_EQ(k.SizeX(), 1);
  EXPECT_EQ(k.SizeY(), 2);
  EXPECT_EQ(k.InitialNeighbors(), 3);
  EXPECT_EQ(k.NrOfTrnSteps(), 50);
  EXPECT_EQ(k.InitialAlpha(), 0.25);
  EXPECT_TRUE(k.Cyclic());
  EXPECT_EQ(k.Comment(), u"a & b <c>\r\nline two");
  EXPECT_TRUE(std::signbit(k.GetWeight(1, 1, 2)));
  EXPECT_TRUE(std::isnan(k.GetWeight(1, 2, 2)));

  TMap m(4, 3, RandomRows(15, 3, 8));
  m.k.SetComment(U8("Grüße, 5 < 7 & \"quoted\""));
  m.k.SetNrOfTrnSteps(6);
  m.k.StandardizeData();
  m.k.Trainit();
  const std::string first = XmlOf(m.k);
  TKohonen copy(nullptr);
  ASSERT_TRUE(ReadXml(copy, first, u"map"));
  EXPECT_EQ(XmlOf(copy), first);
  EXPECT_EQ(copy.Comment(), m.k.Comment());
  // ApplyIt answers alike after the reload.
  for (const auto& row : RandomRows(10, 3, 9)) {
    TVector in(nullptr);
    test::FillVector(in, {row[0], row[1], row[2]});
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    double d1 = 0, d2 = 0;
    m.k.ApplyIt(&in, x1, y1, d1);
    copy.ApplyIt(&in, x2, y2, d2);
    EXPECT_EQ(x1, x2);
    EXPECT_EQ(y1, y2);
    EXPECT_EQ(d1, d2);
  }
}

TEST(TKohonen, XmlFilesAndIds) {
  test::TempDir dir;
  TMap m(2, 3, RandomRows(6, 2, 10));
  m.k.SetComment(u"first");
  ASSERT_TRUE(m.k.SaveAsXMLFile(dir / "map.xml", u"One"));
  TKohonen k(nullptr);
  EXPECT_FALSE(k.LoadFromXMLFile(dir / "map.xml", u"two"));
  EXPECT_EQ(k.SizeY(), 1);
  EXPECT_TRUE(k.LoadFromXMLFile(dir / "map.xml", u""));
  EXPECT_EQ(k.SizeY(), 3);
  EXPECT_EQ(k.Comment(), u"first");
  EXPECT_FALSE(k.LoadFromXMLFile(dir / "missing.xml", u""));
  EXPECT_FALSE(m.k.SaveAsXMLFile(dir / "no/such/dir.xml", u""));
  // Two elements in one text file: each found by its id.
  TextFile f;
  AssignFile(f, dir / "two.xml");
  Rewrite(f);
  m.k.WriteToOpenXMLFile(f, true, u"a");
  k.WriteToOpenXMLFile(f, false, u"b");
  CloseFile(f);
  TKohonen r(nullptr);
  EXPECT_TRUE(r.LoadFromXMLFile(dir / "two.xml", u"b"));
  EXPECT_EQ(XmlOf(r, u"b"), XmlOf(k, u"b"));
}

TEST(TKohonen, LoadingOtherComponentsResizesTheData) {
  TMap m(2, 2, RandomRows(9, 5, 11));
  ASSERT_TRUE(ReadXml(m.k, kSmallMap));
  EXPECT_EQ(m.k.NrOfInSens(), 2);
  m.k.SetNrOfTrnSteps(3);
  m.k.ContinueTraining();  // data of 2 components (zeros) for 9 objects: nothing read outside
  EXPECT_EQ(m.k.MeanVec()->NrOfElem(), 2);
}

TEST(TKohonen, HostileElementsAnswerFalseAndChangeNothing) {
  auto edit = [](const std::string& from, const std::string& to) {
    std::string s = kSmallMap;
    const std::size_t at = s.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return s.replace(at, from.size(), to);
  };
  const std::string cases[] = {
      "",
      kSmallMap.substr(0, kSmallMap.size() / 2),                          // truncated
      edit("</kohonen>", ""),                                              // never closed
      edit("<sizex>1</sizex>", ""),                                        // a size missing
      edit("<sizex>1</sizex>", "<sizex>0</sizex>"),                        // below 1
      edit("<sizey>2</sizey>", "<sizey>2000000000</sizey>"),               // more nodes than listed
      edit("<nrinsens>2</nrinsens>", "<nrinsens>3</nrinsens>"),            // weights per cell differ
      edit("<maxsteps>50</maxsteps>", "<maxsteps>0</maxsteps>"),
      edit("<maxalpha>0.25</maxalpha>", "<maxalpha>fast</maxalpha>"),
      edit("<curstep>7</curstep>", ""),
      edit("<curstep>7</curstep>", "<curstep>0</curstep>"),             // training steps count from 1
      edit("<cyclic>1</cyclic>", "<cyclic>2</cyclic>"),
      edit("ix=\"2\"", "ix=\"1\""),                                        // a component twice
      edit("ix=\"2\"", "ix=\"3\""),                                        // outside
      edit("  <meanstddev ix=\"2\" mean=\"-0.5\" sd=\"0\" />\r\n", ""),    // one missing
      edit("x=\"1\" y=\"2\"", "x=\"1\" y=\"1\""),                          // a node twice
      edit("x=\"1\" y=\"2\"", "x=\"2\" y=\"2\""),                          // outside
      edit("w=\"1E-300 NAN\"", "w=\"1 2 3\""),            // too many weights
      edit("w=\"1E-300 NAN\"", "w=\"1 x\""),              // unreadable
      edit("y=\"2\"", "y=\"two\""),
      edit("sig=\"Qeltakit\"", "sig=\"other\""),                           // not our element
  };
  TMap m(3, 2, RandomRows(4, 2, 12));
  m.k.SetComment(u"keep");
  const std::string before = XmlOf(m.k);
  for (const std::string& text : cases) {
    EXPECT_FALSE(ReadXml(m.k, text)) << text;
    EXPECT_EQ(XmlOf(m.k), before);
  }
}
