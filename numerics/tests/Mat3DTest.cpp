// TMat3D and the container operations of TMat4D: size, cells, visiting order, fingerprint, search,
// summaries, rearranging, layers and matrices, and the XML element of both arrays.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "Assertions.h"
#include "FileTestKit.h"
#include "Qelta_math1.h"
#include "Qelta_matrix.h"
#include "Random.h"
#include "VecMatTestKit.h"

using namespace qelta;
using qelta::test::TempDir;

namespace {

// Counts OnChange calls.
struct TChanges {
  int Count = 0;
  template <typename A>
  explicit TChanges(A& a) {
    a.OnChange = [this](TObject*) { ++Count; };
  }
};

// Cells of a 3D array, column outermost and layer innermost (the visiting order).
std::vector<double> Visited(const TMat3D& m) {
  std::vector<double> v;
  for (int c = 1; c <= m.NrOfColumns(); ++c)
    for (int r = 1; r <= m.NrOfRows(); ++r)
      for (int l = 1; l <= m.NrOfLayers(); ++l) v.push_back(m.GetVal(c, r, l));
  return v;
}

std::vector<double> Visited(const TMat4D& m) {
  std::vector<double> v;
  for (int c = 1; c <= m.NrOfColumns(); ++c)
    for (int r = 1; r <= m.NrOfRows(); ++r)
      for (int l = 1; l <= m.NrOfLayers(); ++l)
        for (int t = 1; t <= m.NrOfTimeSlots(); ++t) v.push_back(m.GetVal(c, r, l, t));
  return v;
}

// Every cell := its flat index (Addr4D) + 1.
void Number(TMat4D& m, int nc, int nr, int nl, int nt) {
  m.Resize(nc, nr, nl, nt);
  for (int t = 1; t <= nt; ++t)
    for (int l = 1; l <= nl; ++l)
      for (int r = 1; r <= nr; ++r)
        for (int c = 1; c <= nc; ++c) m.SetVal(c, r, l, t, static_cast<double>(m.Addr4D(c, r, l, t) + 1));
}

// Every cell := 100 c + 10 r + l.
void Number(TMat3D& m, int nc, int nr, int nl) {
  m.Resize(nc, nr, nl);
  for (int c = 1; c <= nc; ++c)
    for (int r = 1; r <= nr; ++r)
      for (int l = 1; l <= nl; ++l) m.SetVal(c, r, l, 100 * c + 10 * r + l);
}

bool SameBits(const std::vector<double>& a, const std::vector<double>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

}  // namespace

// --- TMat3D: size and cells -----------------------------------------------------------------------

TEST(TMat3D, StartsWithOneZeroCellAndResizeKeepsTheOverlap) {
  TMat3D m(nullptr);
  EXPECT_EQ(Visited(m), std::vector<double>{0});
  EXPECT_TRUE(m.DataID().empty());
  Number(m, 2, 3, 4);
  TChanges changes(m);
  EXPECT_TRUE(m.Resize(3, 2, 5));
  EXPECT_EQ(changes.Count, 1);
  EXPECT_EQ(m.GetVal(2, 2, 4), 224);
  EXPECT_EQ(m.GetVal(3, 1, 1), 0) << "a new cell";
  EXPECT_EQ(m.GetVal(1, 2, 5), 0);
  EXPECT_EQ(m.GetVal(1, 3, 1), 0) << "outside";
  EXPECT_TRUE(m.Resize(2, 0, 5));
  EXPECT_TRUE(m.Resize(3, 2, 5));
  EXPECT_EQ(changes.Count, 1) << "a zero count or the same size changes nothing";
  m.SetNLayers(-4);
  EXPECT_EQ(m.NrOfLayers(), 1);
  m.SetVal(4, 1, 1, 9);  // outside: ignored, no event
  m.Fill(2.5);
  EXPECT_EQ(changes.Count, 2);
  EXPECT_EQ(Visited(m), std::vector<double>(6, 2.5));
}

TEST(TMat3D, ASizeBeyondTheAddressSpaceRaisesAndKeepsTheArray) {
  TMat3D m(nullptr);
  m.SetName(u"K");
  Number(m, 2, 2, 2);
  const int big = std::numeric_limits<int>::max();
  EXPECT_THROW_MSG(m.Resize(big, big, big), EQeltaMatrixError, "Component \"K\": not enough memory on heap");
  EXPECT_EQ(m.NrOfColumns(), 2);
  EXPECT_EQ(m.GetVal(2, 2, 2), 222);
}

TEST(TMat3D, RandomFillsFingerprintAndFindFollowTheVisitingOrder) {
  TMat3D m(nullptr);
  m.Resize(3, 2, 4);
  TChanges changes(m);
  RandSeed = 77;
  m.FillRandomUniform(-1, 3);
  EXPECT_EQ(changes.Count, 1);
  RandSeed = 77;
  for (double v : Visited(m)) EXPECT_EQ(v, -1 + Random() * 4);
  RandSeed = 5;
  m.FillRandomGauss(10, 2);
  RandSeed = 5;
  for (double v : Visited(m)) EXPECT_EQ(v, GRandom() * 2 + 10);
  EXPECT_EQ(StringToUtf8(m.CRCofData()), test::ZlibLanes(Visited(m)));
  Number(m, 3, 2, 4);
  m.SetVal(2, 1, 3, 213.25);
  int c = -1, r = -1, l = -1;
  m.Find(0, 0, 0, 0, 0, 0, 213.5, c, r, l);
  EXPECT_EQ(c * 100 + r * 10 + l, 213) << "the first of two equally near cells";
  m.Find(3, 3, 0, 0, 4, 1, 0, c, r, l);
  EXPECT_EQ(c * 100 + r * 10 + l, 311) << "ranges made valid";
  m.Find(0, 0, 0, 0, 0, 0, std::numeric_limits<double>::quiet_NaN(), c, r, l);
  EXPECT_EQ(c + r + l, 0);
}

// --- TMat4D: size, cells, summaries ---------------------------------------------------------------

TEST(TMat4D, FlatAddressIsColumnFastestAnd64Bit) {
  TMat4D m(nullptr);
  Number(m, 3, 4, 2, 5);
  EXPECT_EQ(m.Addr4D(1, 1, 1, 1), 0);
  EXPECT_EQ(m.Addr4D(2, 3, 2, 4), 1 + 3 * (2 + 4 * (1 + 2 * 3)));
  EXPECT_EQ(m.GetVal(2, 3, 2, 4), 1 + m.Addr4D(2, 3, 2, 4));
  EXPECT_EQ(m.Addr4D(1, 1, 1, 2147483647), int64_t{24} * 2147483646);
  EXPECT_DOUBLE_EQ(m.MemoryConsumed(), 120 * 8 / 1048576.0);
}

TEST(TMat4D, ResizeZeroesAndAnOverflowingProductRaises) {
  TMat4D m(nullptr);
  m.SetName(u"S");
  Number(m, 2, 2, 2, 2);
  TChanges changes(m);
  EXPECT_TRUE(m.Resize(2, 2, 2, 3));
  EXPECT_EQ(changes.Count, 1);
  EXPECT_EQ(Visited(m), std::vector<double>(24, 0.0));
  EXPECT_TRUE(m.Resize(2, 2, 0, 3));
  m.SetNTSlots(0);
  EXPECT_EQ(m.NrOfTimeSlots(), 1);
  EXPECT_EQ(changes.Count, 2);
  m.SetVal(1, 1, 1, 1, 4);
  EXPECT_THROW_MSG(m.Resize(65536, 65536, 65536, 65536), EQeltaMatrixError,
                   "Component \"S\": not enough memory on heap");
  EXPECT_EQ(m.GetVal(1, 1, 1, 1), 4);
}

TEST(TMat4D, FillLayerTouchesOneLayerOfEverySlotWithoutEvent) {
  TMat4D m(nullptr);
  m.Resize(2, 2, 3, 2);
  TChanges changes(m);
  m.FillLayer(2, 7);
  m.FillLayer(4, 9);
  m.FillLayer(0, 9);
  EXPECT_EQ(changes.Count, 0);
  for (double v : Visited(m)) EXPECT_TRUE(v == 0 || v == 7);
  EXPECT_EQ(m.Sum(0, 0, 0, 0, 0, 0, 0, 0), 7 * 8);
  EXPECT_EQ(m.Sum(0, 0, 0, 0, 2, 2, 2, 2), 7 * 4);
}

// Regression: the extremes started from +-1.7e308, which a range of larger values never replaced.
TEST(TMat4D, MinMaxStartsFromTheFirstCellAndMeanVarUsesCentredSums) {
  TMat4D m(nullptr);
  m.Resize(2, 1, 1, 2);
  m.Fill(1.75e308);
  m.SetVal(2, 1, 1, 2, 1.79e308);
  double mn = 0, mx = 0;
  m.MinMax(0, 0, 0, 0, 0, 0, 0, 0, mn, mx);
  EXPECT_EQ(mn, 1.75e308);
  EXPECT_EQ(mx, 1.79e308);
  m.Resize(3, 1, 1, 1);
  m.SetVal(1, 1, 1, 1, 1e10 + 1);
  m.SetVal(2, 1, 1, 1, 1e10 + 2);
  m.SetVal(3, 1, 1, 1, 1e10 + 3);
  double mean = 0, var = 0;
  m.MeanVar(0, 0, 0, 0, 0, 0, 0, 0, mean, var);
  EXPECT_EQ(mean, 1e10 + 2);
  EXPECT_EQ(var, 1.0);
  m.Fill(0.1);
  m.MeanVar(0, 0, 0, 0, 0, 0, 0, 0, mean, var);
  EXPECT_EQ(var, 0.0);
  m.MeanVar(2, 1, 0, 0, 0, 0, 0, 0, mean, var);
  EXPECT_EQ(var, 1.0) << "two cells";
}

TEST(TMat4D, CutKeepsTheBlockInTheNewFlatOrder) {
  TMat4D m(nullptr);
  Number(m, 4, 2, 1, 6);
  TMat4D ref(nullptr);
  ref.Resize(2, 1, 1, 2);
  for (int t = 4; t <= 5; ++t)
    for (int c = 2; c <= 3; ++c) ref.SetVal(c - 1, 1, 1, t - 3, m.GetVal(c, 1, 1, t));
  TChanges changes(m);
  m.Cut(2, 3, 1, 1, 1, 1, 4, 5);
  EXPECT_EQ(changes.Count, 1);
  EXPECT_EQ(m.NrOfColumns(), 2);
  EXPECT_EQ(m.NrOfTimeSlots(), 2);
  EXPECT_EQ(Visited(m), Visited(ref));
  EXPECT_EQ(m.GetVal(1, 1, 1, 1), 26) << "cell (2, 1, 1, 4)";
  Number(m, 3, 3, 3, 3);
  m.Cut(0, 0, 3, 2, 0, 0, 9, 9);
  EXPECT_EQ(m.NrOfRows(), 2);
  EXPECT_EQ(m.NrOfTimeSlots(), 1);
  EXPECT_EQ(m.GetVal(3, 2, 3, 1), 1 + 2 + 3 * (2 + 3 * (2 + 3 * 2))) << "cell (3, 3, 3, 3)";
}

TEST(TMat4D, MirrorsReverseOneDimensionEach) {
  struct Case {
    void (TMat4D::*Mirror)();
    int Dim;
  };
  const Case cases[] = {{&TMat4D::MirrorColumns, 0}, {&TMat4D::MirrorRows, 1}, {&TMat4D::MirrorLayers, 2},
                        {&TMat4D::MirrorTimeSlots, 3}};
  for (const Case& k : cases) {
    TMat4D m(nullptr), orig(nullptr);
    Number(m, 3, 2, 4, 5);
    Number(orig, 3, 2, 4, 5);
    TChanges changes(m);
    (m.*k.Mirror)();
    EXPECT_EQ(changes.Count, 1);
    const int n[4] = {3, 2, 4, 5};
    for (int c = 1; c <= 3; ++c)
      for (int r = 1; r <= 2; ++r)
        for (int l = 1; l <= 4; ++l)
          for (int t = 1; t <= 5; ++t) {
            int i[4] = {c, r, l, t};
            i[k.Dim] = n[k.Dim] + 1 - i[k.Dim];
            ASSERT_EQ(m.GetVal(c, r, l, t), orig.GetVal(i[0], i[1], i[2], i[3])) << k.Dim;
          }
  }
}

TEST(TMat4D, RandomFillsFindAndFingerprintVisitTheLastIndexInnermost) {
  TMat4D m(nullptr);
  m.Resize(2, 3, 2, 3);
  RandSeed = 1234;
  m.FillRandomUniform(0, 10);
  RandSeed = 1234;
  for (double v : Visited(m)) ASSERT_EQ(v, Random() * 10);
  EXPECT_EQ(StringToUtf8(m.CRCofData()), test::ZlibLanes(Visited(m)));
  m.Fill(5);
  m.SetVal(1, 1, 1, 3, 6);
  m.SetVal(2, 1, 1, 1, 6);
  int c = 0, r = 0, l = 0, t = 0;
  m.Find(0, 0, 0, 0, 0, 0, 0, 0, 6.25, c, r, l, t);
  EXPECT_EQ((std::vector<int>{c, r, l, t}), (std::vector<int>{1, 1, 1, 3})) << "column outermost";
}

// --- layers and matrices --------------------------------------------------------------------------

TEST(TMat4D, LayerCopiesCheckLayerThenSlotAndPlaceTheCells) {
  TMat4D m(nullptr);
  m.SetName(u"Q");
  Number(m, 4, 3, 2, 2);
  TMatrix dest(nullptr);
  m.CopyLayerToMatrix(&dest, 2, 3, 0, 0, 2, 1);
  EXPECT_EQ(dest.NrOfColumns(), 2);
  EXPECT_EQ(dest.NrOfRows(), 3);
  EXPECT_EQ(dest.GetVal(1, 3), m.GetVal(2, 3, 2, 1));
  EXPECT_THROW_MSG(m.CopyLayerToMatrix(&dest, 0, 0, 0, 0, 3, 9), EQeltaMatrixError,
                   "Component \"Q\": specified layer beyond data range");
  EXPECT_THROW_MSG(m.CopyLayerToMatrix(&dest, 0, 0, 0, 0, 1, 0), EQeltaMatrixError,
                   "Component \"Q\": specified time slot beyond data range");
  EXPECT_THROW_MSG(m.CopyMatrixToLayer(&dest, 1, 2, 1, 2, 0, 1, 1, 1), EQeltaMatrixError,
                   "Component \"Q\": specified layer beyond data range");
  TMatrix src(nullptr);
  src.Resize(2, 2);
  src.Fill(-1);
  TChanges changes(m);
  m.CopyMatrixToLayer(&src, 0, 3, 2, 2, 1, 2, 3, 1);  // source columns 0..3 of row 2: 0, -1, -1, 0
  EXPECT_EQ(changes.Count, 0);
  EXPECT_EQ(m.GetVal(3, 1, 1, 2), 0) << "source column 0 lies outside the source";
  EXPECT_EQ(m.GetVal(4, 1, 1, 2), -1);
  EXPECT_EQ(m.GetVal(1, 1, 1, 2), m.Addr4D(1, 1, 1, 2) + 1) << "left of LayLowCol stays";
  m.CopyMatrixToLayer(&src, -2000000000, 2000000000, -2000000000, 2000000000, 2, 2, 1, 1);  // bounded work
  EXPECT_EQ(m.GetVal(4, 3, 2, 2), 0);
}

TEST(TMat4D, LayerMeansAndDeviationsStepProcStatEveryMDiv100PlusOneCells) {
  TMat4D m(nullptr);
  m.Resize(3, 2, 5, 50);  // m = 250 values per cell: a step every 3rd cell
  m.Fill(0.1);
  for (int t = 1; t <= 50; ++t) m.SetVal(2, 2, 1, t, t);
  TMatrix dest(nullptr);
  const int before = ProcStat;
  std::vector<int> fed;
  MathFeedBackProc = [&](int s) { fed.push_back(s); };
  m.StdDevOfLayersToMatrix(&dest, 0, 0, 0, 0, 0, 0, 0, 0);
  MathFeedBackProc = nullptr;
  EXPECT_EQ(ProcStat - before, 2);
  EXPECT_EQ(fed, (std::vector<int>{before + 1, before + 2}));
  EXPECT_EQ(dest.GetVal(1, 1), 0.0) << "constant cells: exactly 0, never NaN";
  // cell (2, 2): 50 values t and 200 values 0.1.
  const double mean = (1275 + 20.0) / 250;
  double ss = 0;
  for (int t = 1; t <= 50; ++t) ss += (t - mean) * (t - mean);
  ss += 200 * (0.1 - mean) * (0.1 - mean);
  EXPECT_NEAR_REL(dest.GetVal(2, 2), std::sqrt(ss / 250), 1e-14);
  m.MeanOfLayersToMatrix(&dest, 2, 3, 2, 2, 1, 1, 1, 4);  // m = 4: a step every cell
  EXPECT_EQ(ProcStat - before, 4);
  EXPECT_EQ(dest.NrOfColumns(), 2);
  EXPECT_EQ(dest.NrOfRows(), 1);
  EXPECT_EQ(dest.GetVal(1, 1), 2.5);
  EXPECT_EQ(dest.GetVal(2, 1), 0.1);
}

// --- XML element ----------------------------------------------------------------------------------

TEST(TMatNDXml, BothArraysReadBackBitForBit) {
  const double specials[] = {0.0, -0.0, 4.9406564584124654e-324, -2.2250738585072009e-308, 1e308, -1.7976931348623157e308,
                             0.1, 1.0 / 3, std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN()};
  TMat3D a(nullptr), b(nullptr);
  a.Resize(2, 5, 1);
  int k = 0;
  for (int c = 1; c <= 2; ++c)
    for (int r = 1; r <= 5; ++r) a.SetVal(c, r, 1, specials[k++ % 10]);
  a.Resize(2, 5, 3);
  a.SetVal(1, 1, 3, -0.0);
  TMemoryStream s;
  a.WriteToXMLStream(s, true, u"weights");
  s.SetPosition(0);
  TChanges changes(b);
  ASSERT_TRUE(b.ReadFromXMLStream(s, u"WEIGHTS"));
  EXPECT_EQ(changes.Count, 1);
  EXPECT_TRUE(SameBits(Visited(a), Visited(b)));
  EXPECT_EQ(b.DataID(), u"weights");
  TempDir dir;
  TMat4D p(nullptr), q(nullptr);
  RandSeed = 3;
  p.Resize(3, 2, 2, 3);
  p.FillRandomGauss(0, 1e-300);
  p.SetVal(3, 2, 2, 3, -0.0);
  ASSERT_TRUE(p.SaveAsXMLFile(dir / "p.xml", u"stack"));
  ASSERT_TRUE(q.LoadFromXMLFile(dir / "p.xml", u""));
  EXPECT_TRUE(SameBits(Visited(p), Visited(q)));
  const std::string text = dir.Get("p.xml");
  EXPECT_NE(text.find("<!-- TMat4D / Qeltakit -->\r\n<matrix sig=\"Qeltakit\" vers=\"1.0\" id=\"stack\">\r\n"
                      "  <numcols>3</numcols>\r\n  <numrows>2</numrows>\r\n  <numlayers>2</numlayers>\r\n"
                      "  <numtimeslots>3</numtimeslots>\r\n  <cells row=\"1\" col=\"1\" layer=\"1\" timeslot=\"1\">"),
            std::string::npos);
  EXPECT_NE(text.find("<cells row=\"2\" col=\"1\" layer=\"2\" timeslot=\"3\">"), std::string::npos);
}

TEST(TMatNDXml, MalformedOrTruncatedElementsAnswerFalseAndChangeNothing) {
  TMat3D a(nullptr);
  Number(a, 2, 2, 2);
  TMemoryStream s;
  a.WriteToXMLStream(s, false, u"x");
  const std::string whole = test::BytesOf(s);
  const std::string head = "<matrix sig=\"Qeltakit\" vers=\"1.0\" id=\"x\">\r\n";
  const std::string counts = "<numcols>1</numcols><numrows>1</numrows><numlayers>2</numlayers>\r\n";
  const std::string bad[] = {
      whole.substr(0, whole.size() - 12),                                              // truncated: no close
      head + counts + "<cells row=\"1\" col=\"1\" layer=\"3\">1</cells>\r\n</matrix>\r\n",  // layer beyond
      head + counts + "<cells row=\"1\" col=\"1\" layer=\"x\">1</cells>\r\n</matrix>\r\n",  // bad index
      head + counts + "<cells row=\"1\" col=\"1\">1 2</cells>\r\n</matrix>\r\n",            // column beyond
      head + "<numcols>0</numcols><numrows>1</numrows>\r\n</matrix>\r\n",                   // no cell
      head + "<numcols>1</numcols><numrows>1</numrows><numtimeslots>2</numtimeslots>\r\n</matrix>\r\n",
      head + "<numcols>99999</numcols><numrows>99999</numrows><numlayers>99999</numlayers>\r\n</matrix>\r\n",
  };
  for (const std::string& text : bad) {
    TMat3D b(nullptr);
    Number(b, 3, 1, 1);
    TMemoryStream in;
    test::Fill(in, text);
    EXPECT_FALSE(b.ReadFromXMLStream(in, u"")) << text;
    EXPECT_EQ(Visited(b), (std::vector<double>{111, 211, 311}));
  }
  TMatrix flat(nullptr);
  s.SetPosition(0);
  EXPECT_FALSE(flat.ReadFromXMLStream(s, u"")) << "a matrix reader refuses two layers";
  TMemoryStream m2;
  flat.Resize(2, 1);
  flat.Fill(4);
  flat.WriteToXMLStream(m2, false, u"");
  m2.SetPosition(0);
  TMat3D from2d(nullptr);
  ASSERT_TRUE(from2d.ReadFromXMLStream(m2, u"")) << "a matrix element is an array of one layer";
  EXPECT_EQ(Visited(from2d), (std::vector<double>{4, 4}));
}
