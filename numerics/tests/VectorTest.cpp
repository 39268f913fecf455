#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

#include "Assertions.h"
#include "FileTestKit.h"
#include "HeapPeak.h"
#include "Qelta_vector.h"
#include "Random.h"
#include "VecMatTestKit.h"

using namespace qelta;
using qelta::test::TEventLog;

namespace {

void Load(TVector& v, std::initializer_list<double> values) {
  v.Resize(static_cast<int>(values.size()));
  int i = 1;
  for (double x : values) v.SetVal(i++, x);
}

void Load(TIntVector& v, std::initializer_list<int32_t> values) {
  v.Resize(static_cast<int>(values.size()));
  int i = 1;
  for (int32_t x : values) v.SetVal(i++, x);
}

template <typename V>
auto Values(const V& v) {
  std::vector<decltype(v.GetVal(1))> out;
  for (int i = 1; i <= v.NrOfElem(); ++i) out.push_back(v.GetVal(i));
  return out;
}

}  // namespace

// --- size and elements ----------------------------------------------------------------------------

TEST(TVector, StartsWithOneEmptyZeroElementAndRefusesSizesBelowOne) {
  TVector v(nullptr);
  TEventLog log;
  log.Hook(v);
  EXPECT_EQ(v.NrOfElem(), 1);
  EXPECT_EQ(v.GetVal(1), 0.0);
  EXPECT_TRUE(v.IsEmpty());
  EXPECT_FALSE(v.Resize(0));
  EXPECT_FALSE(v.Resize(-3));
  v.SetVecSize(0);
  EXPECT_EQ(v.NrOfElem(), 1);
  EXPECT_EQ(log.Changes, 0);
}

TEST(TVector, ResizeKeepsLeadingElementsAndFiresOnlyOnChange) {
  TVector v(nullptr);
  Load(v, {1, 2, 3});
  TEventLog log;
  log.Hook(v);
  EXPECT_TRUE(v.Resize(5));
  EXPECT_EQ(Values(v), (std::vector<double>{1, 2, 3, 0, 0}));
  EXPECT_TRUE(v.Resize(5));
  EXPECT_EQ(log.Changes, 1);
  v.Resize(2);
  EXPECT_EQ(Values(v), (std::vector<double>{1, 2}));
}

TEST(TVector, OutOfRangeReadsZeroAndWritesNothing) {
  TVector v(nullptr);
  Load(v, {7, 8});
  TEventLog log;
  log.Hook(v);
  for (int i : {0, -1, 3, std::numeric_limits<int>::max(), std::numeric_limits<int>::min()}) {
    EXPECT_EQ(v.GetVal(i), 0.0);
    v.SetVal(i, 5);
  }
  EXPECT_EQ(Values(v), (std::vector<double>{7, 8}));
  EXPECT_EQ(log.Changes, 0);
}

TEST(TVector, MakeValidElemRangeFollowsTheRangeRule) {
  struct Case {
    int lo, hi, wantLo, wantHi;
  } cases[] = {{0, 0, 1, 4}, {5, 2, 2, 4}, {-3, 9, 1, 4}, {0, 3, 1, 3}, {7, 7, 4, 4}, {3, 0, 1, 3}};
  TVector v(nullptr);
  v.Resize(4);
  for (const Case& c : cases) {
    int lo = c.lo, hi = c.hi;
    v.MakeValidElemRange(lo, hi);
    EXPECT_EQ(lo, c.wantLo) << c.lo << ".." << c.hi;
    EXPECT_EQ(hi, c.wantHi) << c.lo << ".." << c.hi;
  }
}

TEST(TVector, EmptyFlagFollowsWritesAndClear) {
  TVector v(nullptr);
  v.Fill(2);
  EXPECT_FALSE(v.IsEmpty());
  v.Clear();
  EXPECT_TRUE(v.IsEmpty());
  EXPECT_EQ(v.GetVal(1), 0.0);
  v.SetVal(1, 3);
  EXPECT_FALSE(v.IsEmpty());
}

TEST(TVector, CloneFiresOncePerElementAndAtTheEnd) {
  TVector src(nullptr), dst(nullptr);
  Load(src, {1, 2, 3});
  TEventLog log;
  log.Hook(dst);
  dst.Clone(&src);
  EXPECT_EQ(Values(dst), Values(src));
  EXPECT_EQ(log.Changes, 1 + 3 + 1);  // resize, three SetVal, the final one
  dst.Clone(nullptr);
  EXPECT_EQ(log.Changes, 5);
}

TEST(TVector, CopyFromPlacesClampedRangesAndDropsWhatFallsOutside) {
  struct Case {
    int lo, hi, dest;
    std::vector<double> want;
  } cases[] = {
      {2, 3, 1, {20, 30, 0, 0}},  {3, 2, 3, {0, 0, 20, 30}},  {0, 9, 2, {0, 10, 20, 30}},
      {1, 3, -1, {30, 0, 0, 0}},  {1, 1, 5, {0, 0, 0, 0}},
  };
  TVector src(nullptr);
  Load(src, {10, 20, 30});
  for (const Case& c : cases) {
    TVector dst(nullptr);
    dst.Resize(4);
    dst.CopyFrom(&src, c.lo, c.hi, c.dest);
    EXPECT_EQ(Values(dst), c.want) << c.lo << ".." << c.hi << " -> " << c.dest;
  }
}

// Regression: a copy of a vector onto an overlapping part of itself read elements it had just
// overwritten (1 2 1 2 1 2 instead of 1 2 1 2 3 4).
TEST(TVector, CopyFromItselfActsAsThroughATemporary) {
  TVector v(nullptr);
  Load(v, {1, 2, 3, 4, 5, 6});
  v.CopyFrom(&v, 1, 4, 3);
  EXPECT_EQ(Values(v), (std::vector<double>{1, 2, 1, 2, 3, 4}));
  Load(v, {1, 2, 3, 4, 5, 6});
  v.CopyFrom(&v, 3, 6, 1);
  EXPECT_EQ(Values(v), (std::vector<double>{3, 4, 5, 6, 5, 6}));
}

// --- arithmetic -------------------------------------------------------------------------------------

TEST(TVector, ArithmeticRefusesVectorsOfAnotherSize) {
  TVector a(nullptr), b(nullptr);
  a.SetName(u"Vec");
  Load(a, {1, 2});
  Load(b, {1, 2, 3});
  const char* msg = "Component \"Vec\": vectors have different dimensions";
  EXPECT_THROW_MSG(a.Add(&b), EQeltaVectorError, msg);
  EXPECT_THROW_MSG(a.Subtract(&b), EQeltaVectorError, msg);
  EXPECT_THROW_MSG(a.DotProduct(&b), EQeltaVectorError, msg);
  EXPECT_EQ(Values(a), (std::vector<double>{1, 2}));
  EXPECT_EQ(a.DotProduct(nullptr), 0.0);
}

TEST(TVector, AddSubtractDotProductAndScale) {
  TVector a(nullptr), b(nullptr);
  Load(a, {1, 2, 3});
  Load(b, {4, 5, 6});
  EXPECT_EQ(a.DotProduct(&b), 32.0);
  a.Add(&b);
  EXPECT_EQ(Values(a), (std::vector<double>{5, 7, 9}));
  a.Subtract(&b);
  a.SMult(2);
  EXPECT_EQ(Values(a), (std::vector<double>{2, 4, 6}));
}

TEST(TVector, CorrelateShiftsTheOtherVectorAndCountsZeroOutside) {
  TVector a(nullptr), b(nullptr);
  Load(a, {1, 2, 3});
  Load(b, {10, 20, 30});
  struct Case {
    int shift;
    double want;
  } cases[] = {{0, 140}, {1, 80}, {2, 30}, {-1, 80}, {-2, 30}, {3, 0}, {std::numeric_limits<int>::max(), 0}};
  for (const Case& c : cases) EXPECT_EQ(a.Correlate(&b, c.shift), c.want) << c.shift;
}

TEST(TVector, SetVecLengScalesAndRefusesTheZeroVector) {
  TVector v(nullptr);
  v.SetName(u"V");
  Load(v, {3, 4});
  v.SetVecLeng(10);
  EXPECT_EQ(Values(v), (std::vector<double>{6, 8}));
  v.Fill(0);
  EXPECT_THROW_MSG(v.SetVecLeng(1), EQeltaVectorError, "vector has zero length");
}

TEST(TIntVector, LengthSumsSquaresAsDoublesAndProductsWrap) {
  TIntVector v(nullptr);
  Load(v, {50000, 50000});
  EXPECT_DOUBLE_EQ(v.CalcVecLeng(), 50000 * std::sqrt(2.0));
  EXPECT_EQ(v.DotProduct(&v), static_cast<int32_t>(5000000000LL & 0xFFFFFFFF) );
}

// --- search and order -----------------------------------------------------------------------------

TEST(TVector, FindAnswersTheFirstOfEquallyNearElements) {
  TVector v(nullptr);
  Load(v, {1, 2, 3, 4});
  struct Case {
    int lo, hi;
    double value;
    int want;
  } cases[] = {{0, 0, 2.5, 2}, {0, 0, 9, 4}, {3, 4, 1, 3}, {4, 3, 2.6, 3}, {0, 0, -5, 1}};
  for (const Case& c : cases) EXPECT_EQ(v.Find(c.lo, c.hi, c.value), c.want) << c.value;
}

TEST(TIntVector, FindMeasuresDistancesWithoutOverflow) {
  TIntVector v(nullptr);
  Load(v, {std::numeric_limits<int32_t>::max(), 0});
  EXPECT_EQ(v.Find(0, 0, std::numeric_limits<int32_t>::min()), 2);
}

TEST(TVector, FindInSortedVectorPrefersTheUpperCandidateOnATie) {
  struct Case {
    bool ascending;
    std::vector<double> values;
    double value;
    int want;
  } cases[] = {
      {true, {1, 2, 3, 4}, 2.4, 2}, {true, {1, 2, 3, 4}, 2.5, 3}, {true, {1, 2, 3, 4}, 0, 1},
      {true, {1, 2, 3, 4}, 9, 4},   {true, {1, 2, 3, 4}, 3, 3},   {false, {4, 3, 2, 1}, 2.4, 3},
      {false, {4, 3, 2, 1}, 2.5, 3}, {true, {7}, 1, 1},           {true, {1, 3}, 2, 2},
  };
  for (const Case& c : cases) {
    TVector v(nullptr);
    v.Resize(static_cast<int>(c.values.size()));
    for (std::size_t i = 0; i < c.values.size(); ++i) v.SetVal(static_cast<int>(i + 1), c.values[i]);
    EXPECT_EQ(v.FindInSortedVector(c.ascending, c.value), c.want) << c.value;
  }
}

TEST(TVector, SortElemsReportsEachExchangeThenChangesOnce) {
  TVector v(nullptr);
  Load(v, {3, 1, 2});
  TEventLog log;
  log.Hook(v);
  v.SortElems(true, 1, 3);
  EXPECT_EQ(Values(v), (std::vector<double>{1, 2, 3}));
  EXPECT_EQ(log.Exchanges, (std::vector<std::array<int, 5>>{{0, 1, 2, 0, 0}, {0, 2, 3, 0, 0}}));
  EXPECT_EQ(log.Changes, 1);
}

TEST(TVector, SortElemsOrdersAndClampsItsRange) {
  struct Case {
    bool ascending;
    int first, last;
    std::vector<double> want;
    int changes;
  } cases[] = {
      {true, 0, 0, {5, 4, 3, 2, 1, 0}, 0},  {true, 5, 1, {1, 2, 3, 4, 5, 0}, 1},
      {false, 2, 99, {5, 4, 3, 2, 1, 0}, 1}, {true, -9, 99, {0, 1, 2, 3, 4, 5}, 1},
      {true, 6, 6, {5, 4, 3, 2, 1, 0}, 0},
  };
  for (const Case& c : cases) {
    TVector v(nullptr);
    Load(v, {5, 4, 3, 2, 1, 0});
    TEventLog log;
    log.Hook(v);
    v.SortElems(c.ascending, c.first, c.last);
    EXPECT_EQ(Values(v), c.want) << c.first << ".." << c.last;
    EXPECT_EQ(log.Changes, c.changes);
  }
}

TEST(TVector, SortElemsEndsWithNaNElements) {
  TVector v(nullptr);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  Load(v, {3, nan, 2, 1, nan, 0});
  v.SortElems(true, 0, 6);  // NaN never compares; the sort still ends
  const std::vector<double> want = {0, nan, 1, 2, nan, 3};
  for (int i = 1; i <= 6; ++i)
    EXPECT_TRUE(std::isnan(want[i - 1]) ? std::isnan(v.GetVal(i)) : v.GetVal(i) == want[i - 1]) << i;
}

TEST(TVector, MirrorReversesAndShuffleKeepsTheElementsWithoutEvent) {
  TVector v(nullptr);
  Load(v, {1, 2, 3, 4, 5});
  v.Mirror();
  EXPECT_EQ(Values(v), (std::vector<double>{5, 4, 3, 2, 1}));
  TEventLog log;
  log.Hook(v);
  v.ShuffleElems();
  auto values = Values(v);
  std::sort(values.begin(), values.end());
  EXPECT_EQ(values, (std::vector<double>{1, 2, 3, 4, 5}));
  EXPECT_EQ(log.Changes, 0);
}

// --- fingerprint ----------------------------------------------------------------------------------

TEST(TVector, CRCofDataAgreesWithLaneWiseZlib) {
  for (int n : {1, 2, 17, 1000}) {
    TVector v(nullptr);
    TIntVector w(nullptr);
    v.Resize(n);
    w.Resize(n);
    RandSeed = static_cast<uint32_t>(n);
    for (int i = 1; i <= n; ++i) {
      v.SetVal(i, (Random() - 0.5) * 1e6);
      w.SetVal(i, Random(2000000000) - 1000000000);
    }
    EXPECT_EQ(StringToUtf8(v.CRCofData()), test::ZlibLanes(Values(v))) << n;
    EXPECT_EQ(StringToUtf8(w.CRCofData()), test::ZlibLanes(Values(w))) << n;
    EXPECT_EQ(v.CRCofData().size(), 64u);
    EXPECT_EQ(w.CRCofData().size(), 32u);
  }
}

// --- stream form ----------------------------------------------------------------------------------

TEST(TVector, StreamFormIsExtendedIndicesAndElements) {
  TVector v(nullptr);
  Load(v, {9, 1.5, -2});
  TMemoryStream* s = nullptr;
  ASSERT_TRUE(v.SaveToStream(s, 2, 3));
  std::unique_ptr<TMemoryStream> owned(s);
  using test::Ext;
  EXPECT_EQ(test::BytesOf(*s), Ext(2) + Ext(3) + Ext(1.5) + Ext(-2));
}

TEST(TIntVector, StreamFormIsFourByteIntegers) {
  TIntVector v(nullptr);
  Load(v, {-1, 258});
  TMemoryStream s;
  ASSERT_TRUE(v.SaveToStream(s, 0, 0));
  using test::I32;
  EXPECT_EQ(test::BytesOf(s), I32(1) + I32(2) + I32(-1) + I32(258));
}

TEST(TVector, StreamRoundTripRespectsAdjustVectorSize) {
  TVector v(nullptr);
  Load(v, {1, 2, 3, 4});
  TMemoryStream s;
  v.SaveToStream(s, 2, 4);
  TVector small(nullptr);
  Load(small, {7, 8, 9});
  s.SetPosition(0);
  EXPECT_FALSE(small.LoadFromStream(&s, false));
  EXPECT_EQ(Values(small), (std::vector<double>{7, 8, 9}));
  s.SetPosition(0);
  TEventLog log;
  log.Hook(small);
  EXPECT_TRUE(small.LoadFromStream(&s, true));
  EXPECT_EQ(Values(small), (std::vector<double>{7, 2, 3, 4}));
  EXPECT_EQ(log.Changes, 1 + 3 + 1);  // resize, one per element, the final one
  EXPECT_FALSE(small.LoadFromStream(nullptr, true));
}

// Regression: the loader trusted its header: non-integral, infinite or reversed indices, or an
// element count the stream cannot hold, went straight into Resize and the read loop.
TEST(TVector, LoadFromStreamRefusesImplausibleHeadersAndLeavesTheVectorAlone) {
  using test::Ext;
  const std::string nan = test::Bytes({0, 0, 0, 0, 0, 0, 0, 0xC0, 0xFF, 0x7F});
  const std::string huge = test::Bytes({0, 0, 0, 0, 0, 0, 0, 0x80, 0x1D, 0x40});  // 2^30
  const std::string oneAndHalf = Ext(1.5);
  const std::string cases[] = {
      nan + Ext(2) + Ext(1) + Ext(1),       Ext(1) + huge + Ext(1),  Ext(0) + Ext(1) + Ext(1),
      Ext(2) + Ext(1) + Ext(1) + Ext(1),    oneAndHalf + Ext(2) + Ext(1) + Ext(1),
      Ext(1) + Ext(3) + Ext(1) + Ext(1),    Ext(1),                  Ext(-2.0) + Ext(1) + Ext(1),
  };
  for (const std::string& bytes : cases) {
    TVector v(nullptr);
    Load(v, {5, 6});
    TEventLog log;
    log.Hook(v);
    TMemoryStream s;
    test::Fill(s, bytes);
    EXPECT_FALSE(v.LoadFromStream(&s, true));
    EXPECT_EQ(Values(v), (std::vector<double>{5, 6}));
    EXPECT_EQ(log.Changes, 0);
  }
}

TEST(TIntVector, LoadFromStreamRefusesNegativeAndOversizedCounts) {
  using test::I32;
  for (const std::string& bytes : {I32(-1) + I32(1), I32(1) + I32(2000000000) + I32(5), I32(3) + I32(2)}) {
    TIntVector v(nullptr);
    TMemoryStream s;
    test::Fill(s, bytes);
    EXPECT_FALSE(v.LoadFromStream(&s, true));
    EXPECT_EQ(v.NrOfElem(), 1);
  }
}

// --- text form ------------------------------------------------------------------------------------

TEST(TVector, StoreOnFileWritesTheHeaderAndOneValuePerLine) {
  test::TempDir dir;
  TVector v(nullptr);
  Load(v, {1.5, -2.25, 1.005});
  struct Case {
    int first, last, precision;
    std::string want;
  } cases[] = {
      {1, 3, -5, "1 3\r\n1.50\r\n-2.25\r\n1.00\r\n"},
      {3, 2, 0, "2 3\r\n-2\r\n1\r\n"},
      {2, 2, -1, "2 2\r\n-2.2500E+0000\r\n"},
      {1, 1, -2, "1 1\r\n 1.50000000000000000E+0000\r\n"},
      {1, 1, 25, "1 1\r\n1.50000000000000000000\r\n"},
      {0, 0, 1, "1 1\r\n1.5\r\n"},    // regression: the header was "1 0"
      {9, 12, 1, "3 3\r\n1.0\r\n"},   // regression: the header was "9 3"
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(v.StoreOnFile(c.first, c.last, c.precision, dir / "v.txt"));
    EXPECT_EQ(dir.Get("v.txt"), c.want) << c.first << " " << c.last << " " << c.precision;
  }
}

TEST(TIntVector, TextFormRoundsNumbersOnReading) {
  test::TempDir dir;
  TIntVector v(nullptr);
  Load(v, {-7, 12});
  ASSERT_TRUE(v.StoreOnFile(0, 9, dir / "w.txt"));
  EXPECT_EQ(dir.Get("w.txt"), "1 2\r\n-7\r\n12\r\n");
  dir.Put("r.txt", "1 4\n2.5\n3.5\n-2.5\n1e3");
  EXPECT_TRUE(v.LoadFromFile(dir / "r.txt", true));
  EXPECT_EQ(Values(v), (std::vector<int32_t>{2, 4, -2, 1000}));
}

TEST(TVector, TextFileRoundTripAndSizeRule) {
  test::TempDir dir;
  TVector v(nullptr);
  Load(v, {0.25, 8, -3});
  ASSERT_TRUE(v.StoreOnFile(2, 3, 4, dir / "v.txt"));
  TVector w(nullptr);
  Load(w, {1, 1});
  EXPECT_FALSE(w.LoadFromFile(dir / "v.txt", false));
  EXPECT_EQ(Values(w), (std::vector<double>{1, 1}));
  EXPECT_TRUE(w.LoadFromFile(dir / "v.txt", true));
  EXPECT_EQ(Values(w), (std::vector<double>{1, 8, -3}));
  EXPECT_FALSE(w.LoadFromFile(dir / "missing.txt", true));
}

// Regression: an unreadable number left its element unchanged but the load still answered true;
// later it answered false but kept the elements read around the bad one. A fault now leaves the
// whole vector as it was, and the reason names the file and the line.
TEST(TVector, LoadFromFileAnswersFalseAfterAnUnreadableNumber) {
  test::TempDir dir;
  const struct {
    const char* text;
    const char* reason;
  } cases[] = {
      {"1 3\r\n1.5\r\nabc\r\n3\r\n", "line 3 holds \"abc\", not a number of the vector"},
      {"1 3\r\n4\r\n\r\n\r\n", "the file ends after 1 of 3 elements"},  // room for three, one stands there
      {"1 3\r\n1 2\r\n3\r\n", "line 2 holds 2 numbers, not 1"},
      {"1 2\r\n1\r\n2\r\n3\r\n", "line 4 follows the last element"},
  };
  for (const auto& c : cases) {
    dir.Put("v.txt", c.text);
    TVector v(nullptr);
    Load(v, {9, 9, 9});
    EXPECT_FALSE(v.LoadFromFile(dir / "v.txt", false)) << c.text;
    EXPECT_EQ(Values(v), (std::vector<double>{9, 9, 9})) << c.text;
    EXPECT_EQ(StringToUtf8(v.LastLoadError()), "\"" + StringToUtf8(dir / "v.txt") + "\": " + c.reason);
  }
}

// Regression: the text header went unchecked into Resize (a huge last index allocated gigabytes).
TEST(TVector, LoadFromFileRefusesImplausibleHeaders) {
  test::TempDir dir;
  const char* headers[] = {"0 1\n5", "3 2\n5 5", "1 2000000000\n5", "x 1\n5", "1\n", "", "1.5 2\n1 2", "2 3\n4"};
  for (const char* text : headers) {
    dir.Put("v.txt", text);
    TVector v(nullptr);
    Load(v, {7, 7});
    TEventLog log;
    log.Hook(v);
    EXPECT_FALSE(v.LoadFromFile(dir / "v.txt", true)) << text;
    EXPECT_EQ(Values(v), (std::vector<double>{7, 7})) << text;
    EXPECT_EQ(log.Changes, 0) << text;
  }
}

// Regression: an error while writing ended the writing but the result stayed true.
TEST(TVector, StoreOnFileAnswersFalseAfterAWriteError) {
  test::TempDir dir;
  TVector v(nullptr);
  v.Resize(10000);
  v.Fill(1.0 / 3);
  test::FaultyOs os;
  os.WriteBudget = 100;
  EXPECT_FALSE(v.StoreOnFile(1, 10000, 15, dir / "full.txt"));
  os.WriteBudget = -1;
  os.OpenErrno = EACCES;
  EXPECT_FALSE(v.StoreOnFile(1, 10000, 15, dir / "denied.txt"));
}

// Regression: a resizing read allowed 2^23 elements beyond those listed, so a 12-byte stream holding
// the range 8388608..8388608 and its one element took 32 MiB. Now a vector grows only as far as its input can fill it
// plus a small allowance; a range stored from the middle within it still loads.
TEST(VectorReaders, GrowOnlyAsFarAsTheirInputCanFill) {
  test::TempDir dir;
  const std::string stream = test::I32(8388608) + test::I32(8388608) + test::I32(3);
  TMemoryStream s;
  test::Fill(s, stream);
  TIntVector v(nullptr);
  bool loaded = true;
  int64_t peak = test::HeapPeakOf([&] { loaded = v.LoadFromStream(&s, true); });
  EXPECT_FALSE(loaded);
  EXPECT_EQ(v.NrOfElem(), 1);
  EXPECT_LE(peak, test::ReaderPeakBound(stream.size()));
  const std::string text = "4000000 4000000\r\n2.5\r\n";
  dir.Put("far.txt", text);
  TVector d(nullptr);
  peak = test::HeapPeakOf([&] { loaded = d.LoadFromFile(dir / "far.txt", true); });
  EXPECT_FALSE(loaded);
  EXPECT_LE(peak, test::ReaderPeakBound(text.size()));
  dir.Put("middle.txt", "200000 200000\r\n2.5\r\n");
  ASSERT_TRUE(d.LoadFromFile(dir / "middle.txt", true));
  EXPECT_EQ(d.NrOfElem(), 200000);
  EXPECT_EQ(d.GetVal(200000), 2.5);
}
